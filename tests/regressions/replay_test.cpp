// Every saved input of every fuzz target, replayed through the target's runner: the seeds, and each
// input that once broke a rule, kept under inputs/<target>/ with a name that tells what it found. A
// runner aborts on a broken rule, so a fault that comes back fails its target's test.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/inputs.h"

namespace {

namespace fs = std::filesystem;
using Runner = int (*)(const std::uint8_t*, std::size_t);

std::vector<fs::path> SavedInputs(const std::string& target) {
    std::vector<fs::path> files;
    for (const fs::path& directory : {fs::path(ZARN_FUZZ_CORPUS) / target, fs::path(ZARN_REGRESSION_INPUTS) / target}) {
        if (!fs::is_directory(directory)) continue;
        for (const auto& entry : fs::directory_iterator(directory))
            if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void Replay(const std::string& target, Runner runner) {
    const std::vector<fs::path> files = SavedInputs(target);
    ASSERT_FALSE(files.empty()) << "no saved inputs for " << target;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(runner(bytes.data(), bytes.size()), 0);
    }
}

TEST(Replay, FenInputs) { Replay("fen", zarn::fuzz::RunFenInput); }
TEST(Replay, GameInputs) { Replay("game", zarn::fuzz::RunGameInput); }
TEST(Replay, ParamInputs) { Replay("param", zarn::fuzz::RunParamInput); }
TEST(Replay, UciInputs) { Replay("uci", zarn::fuzz::RunUciInput); }
TEST(Replay, PgnInputs) { Replay("pgn", zarn::fuzz::RunPgnInput); }
TEST(Replay, AdapterInputs) {
    Replay("adapter", zarn::fuzz::RunAdapterInput);
    zarn::fuzz::StopAdapterEngine();
}

}  // namespace
