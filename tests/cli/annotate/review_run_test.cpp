// Annotation runs at scale through the zarn program: the same file for any number of processes and any
// split into shards, a run cut short continued, a mismatching file refused untouched, a lost review
// process reported.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/cli/run_program.h"

namespace zarn::cli {
namespace {

using zarn::testing::Outcome;
using zarn::testing::RunCommand;

// Six games: two that cannot be used (copied unchanged), one with tags only, one from a FEN.
constexpr const char* Games = R"PGN([Event "One"]
[White "A"]
[Black "B"]
[Result "1-0"]

1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 {a comment} 6. Re1 b5 7. Bb3 d6 1-0

[Event "Bad: illegal"]

1. e4 e5 2. Ke3 *

[Event "From a position"]
[FEN "8/4P1k1/8/8/3p4/8/1p2P1K1/8 w - - 0 1"]

1. e8Q b1=N 2. e4 dxe3 3. Kf3 e2 4. Kxe2 *

[Event "Tags only"]
[Result "1/2-1/2"]

[Event "Five"]

1. d4 d5 2. c4 e6 3. Nc3 Nf6 4. Bg5 Be7 5. e3 O-O 6. Nf3 h6 0-1

[Event "Bad: character"]

1. c4 & e5 *
)PGN";

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct ReviewRun : ::testing::Test {
    void SetUp() override {
        std::filesystem::create_directories(directory);
        WriteFile(input, Games);
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    // Runs zarn annotate on the input with the arguments; standard error goes to errors.
    Outcome Annotate(const std::string& arguments) {
        return RunCommand(ZARN_PROGRAM, "annotate " + input.string() + " --depth 2 " + arguments + " 2>" + errors.string());
    }

    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("zarn-review-run-" + std::to_string(getpid()));
    const std::filesystem::path input = directory / "games.pgn";
    const std::filesystem::path errors = directory / "errors.txt";
    const std::filesystem::path output = directory / "out.pgn";
};

TEST_F(ReviewRun, SameFileForAnyProcessesAndShards) {
    const Outcome single = Annotate("");
    ASSERT_EQ(single.exitCode, 1);
    const std::string expectedErrors = ReadFile(errors);
    EXPECT_EQ(expectedErrors,
              "zarn annotate: game 2 (line 10): illegal move Ke3; copied unchanged\n"
              "zarn annotate: game 6 (line 26): unexpected character '&'; copied unchanged\n");
    ASSERT_NE(single.output.find("[Annotator "), std::string::npos);

    for (const char* jobs : {"--jobs 2", "--jobs 3", "--jobs 0"}) {
        const Outcome parallel = Annotate(jobs);
        EXPECT_EQ(parallel.exitCode, 1) << jobs;
        EXPECT_EQ(parallel.output, single.output) << jobs;
        EXPECT_EQ(ReadFile(errors), expectedErrors) << jobs;
    }

    // Blocks of 1 or 2 games, of 0 or 1 game (more shards than games), and of a file with one game;
    // each message keeps the game's number in the whole input.
    for (int shards : {4, 8}) {
        std::string joined;
        for (int shard = 1; shard <= shards; ++shard) {
            const std::string option = "--shard " + std::to_string(shard) + "/" + std::to_string(shards);
            const Outcome part = Annotate(option + " --jobs 2");
            EXPECT_TRUE(part.exitCode == 0 || part.exitCode == 1) << option;
            if (part.output.empty() && shards == 8) {
                EXPECT_EQ(ReadFile(errors), "zarn annotate: shard " + std::to_string(shard) + "/8 holds none of the 6 games\n");
                EXPECT_EQ(part.exitCode, 0);
            }
            if (part.output.find("Ke3") != std::string::npos) {
                EXPECT_NE(ReadFile(errors).find("game 2 (line 10)"), std::string::npos) << option;
            }
            joined += part.output;
        }
        EXPECT_EQ(joined, single.output) << shards << " shards";
    }
    const std::string first(Games, std::string_view(Games).find("[Event \"Bad"));
    WriteFile(input, first);
    const Outcome whole = Annotate("");
    std::string joined;
    for (const char* shard : {"1/3", "2/3", "3/3"}) joined += Annotate(std::string("--shard ") + shard).output;
    EXPECT_EQ(joined, whole.output);

    for (const std::string arguments :
         {"--shard 0/3", "--shard 4/3", "--shard 2/0", "--shard 3", "--shard a/3", "--shard 1/1000001", "--jobs 257",
          "--jobs -1", "--resume", "--shard"}) {
        const Outcome refused = Annotate(arguments);
        EXPECT_EQ(refused.exitCode, 2) << arguments;
        const std::string message = ReadFile(errors);
        EXPECT_EQ(message.rfind("zarn annotate: ", 0), 0u) << message;
        if (arguments.starts_with("--shard ")) {
            EXPECT_NE(message.find("1 <= K <= N <= 1000000"), std::string::npos) << message;
        }
    }
}

TEST_F(ReviewRun, ResumeKeepsWholeGamesAndRefusesAMismatch) {
    ASSERT_EQ(Annotate("--output " + output.string()).exitCode, 1);
    const std::string complete = ReadFile(output);
    const std::size_t second = complete.find("[Event \"Bad: illegal\"]");
    const std::size_t third = complete.find("[Event \"From a position\"]");
    const std::size_t last = complete.find("[Event \"Bad: character\"]");
    ASSERT_TRUE(second != std::string::npos && third != std::string::npos && last != std::string::npos);

    // Cut anywhere (in a game, between games, inside a copied game, before the final blank line), or
    // followed by the zeros a power loss can leave: the run goes on to the same file.
    const std::vector<std::string> tails = {"",
                                            complete.substr(0, 1),
                                            complete.substr(0, second - 30),
                                            complete.substr(0, second),
                                            complete.substr(0, second + 10),
                                            complete.substr(0, third),
                                            complete.substr(0, last + 5),
                                            complete.substr(0, complete.size() - 1),
                                            complete,
                                            complete.substr(0, third + 40) + std::string(512, '\0')};
    for (std::size_t i = 0; i < tails.size(); ++i) {
        WriteFile(output, tails[i]);
        const Outcome resumed = Annotate("--output " + output.string() + " --resume" + (i % 2 ? " --jobs 2" : ""));
        EXPECT_EQ(resumed.exitCode, 1) << i << ": " << ReadFile(errors);
        EXPECT_EQ(ReadFile(output), complete) << i;
    }
    std::filesystem::remove(output);
    EXPECT_EQ(Annotate("--output " + output.string() + " --resume").exitCode, 1);
    EXPECT_EQ(ReadFile(output), complete);

    // With shards: each shard's file continues its own block.
    std::string joined;
    for (const char* shard : {"1/2", "2/2"}) {
        const std::filesystem::path part = directory / (std::string("part") + shard[0] + ".pgn");
        Annotate("--output " + part.string() + " --shard " + shard);
        const std::string whole = ReadFile(part);
        WriteFile(part, whole.substr(0, whole.size() / 2));
        Annotate("--output " + part.string() + " --shard " + shard + " --resume --jobs 2");
        joined += ReadFile(part);
    }
    EXPECT_EQ(joined, complete);

    // Another game's moves, other tags, or more games than the block holds: refused, file untouched.
    std::string otherMove = complete;
    otherMove.replace(otherMove.find("Nc6"), 3, "Nf6");
    std::string otherTag = complete;
    otherTag.replace(otherTag.find("[Event \"Five\"]"), 14, "[Event \"Six\"]");
    const std::vector<std::pair<std::string, std::string>> mismatches = {
        {otherMove, ""}, {otherTag, ""}, {complete, " --shard 1/2"}, {otherTag.substr(0, last - 5), ""}};
    for (const auto& [text, option] : mismatches) {
        WriteFile(output, text);
        const Outcome refused = Annotate("--output " + output.string() + " --resume" + option);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_EQ(ReadFile(errors).rfind("zarn annotate: cannot resume '" + output.string() + "': ", 0), 0u) << ReadFile(errors);
        EXPECT_EQ(ReadFile(output), text);
    }
}

TEST_F(ReviewRun, LostReviewsAreReportedAndTheRunEnds) {
    // Both review processes are ended while searching deep: the run ends at once, names the first
    // game lost and leaves nothing partly written.
    const std::filesystem::path script = directory / "lose.sh";
    std::ofstream(script) << "'" << ZARN_PROGRAM << "' annotate '" << input.string() << "' --depth 30 --jobs 2 --output '"
                          << output.string() << "' 2>'" << errors.string() << "' &\n"
                          << "run=$!\n"
                          << "for i in $(seq 400); do [ \"$(pgrep -P $run | wc -l)\" = 2 ] && break; sleep 0.05; done\n"
                          << "pkill -9 -P $run\n"
                          << "wait $run\n"
                          << "echo $?\n";
    const Outcome outcome = RunCommand("sh", script.string());
    EXPECT_EQ(outcome.output, "3\n");
    EXPECT_NE(ReadFile(errors).find("\nzarn annotate: game 1 was lost: "), std::string::npos) << ReadFile(errors);
    EXPECT_EQ(ReadFile(output), "");
}

}  // namespace
}  // namespace zarn::cli
