// Parameter names and values of any shape: a known name takes the value read as a decimal number and
// clamped to its range, anything else changes nothing; an analysis then runs with the values.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/interface/options.h"
#include "engine/interface/zarn.h"
#include "fuzz/check.h"
#include "fuzz/engine_fixture.h"
#include "fuzz/inputs.h"

namespace zarn::fuzz {
namespace {

struct Range {
    const char* name;
    std::int32_t EngineOptions::*field;
    long long min;
    long long max;
};

constexpr Range Ranges[] = {
    {"CheckExtensions", &EngineOptions::CheckExtensions, 0, 60},
    {"RecaptureExtensions", &EngineOptions::RecaptureExtensions, 0, 60},
    {"PawnPushExtensions", &EngineOptions::PawnPushExtensions, 0, 60},
    {"ThreatExtensions", &EngineOptions::ThreatExtensions, 0, 60},
    {"SingleMoveExtensions", &EngineOptions::SingleMoveExtensions, 0, 60},
    {"DrawScore", &EngineOptions::DrawScore, -50, 50},
    {"FutilityPruning", &EngineOptions::FutilityPruning, 0, 500},
    {"MaterialTrade", &EngineOptions::MaterialTrade, 0, 150},
    {"OffensiveAsymmetry", &EngineOptions::OffensiveAsymmetry, -50, 50},
    {"SafetyAsymmetry", &EngineOptions::SafetyAsymmetry, -50, 50},
    {"OffensiveScale", &EngineOptions::OffensiveScale, 0, 200},
    {"SafetyScale", &EngineOptions::SafetyScale, 0, 200},
    {"BlitzPlayingSpeed", &EngineOptions::BlitzPlayingSpeed, 25, 35},
};

constexpr std::size_t MaxPairs = 16;

// The value as the C library reads a decimal number, where an overlong number stops at the largest
// of its sign (and is clamped to the range all the same).
long long ExpectedValue(const char* text, const Range& range) {
    errno = 0;
    const long long number = std::strtoll(text, nullptr, 10);
    return std::clamp(number, range.min, range.max);
}

// A middlegame with checks, captures and pawn pushes, where every parameter has something to act on.
constexpr char SearchedPosition[] = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1QBPPP/R3K2R w KQ -";

}  // namespace

int RunParamInput(const std::uint8_t* data, std::size_t size) {
    PrepareEngine();
    RestoreOptionDefaults();

    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < size && lines.size() <= 2 * MaxPairs; ++i) {
        if (data[i] == '\n') lines.emplace_back();
        else lines.back() += static_cast<char>(data[i]);
    }
    for (std::size_t pair = 0; pair < lines.size() && pair < 2 * MaxPairs; pair += 2) {
        const std::string& name = lines[pair];
        const std::string value = pair + 1 < lines.size() ? lines[pair + 1] : std::string();
        EngineOptions before = Options;
        ZarnSetParam(name.c_str(), value.c_str());
        // A NUL ends the texts for the engine as for any C caller.
        const char* cName = name.c_str();
        const char* cValue = value.c_str();
        for (const Range& range : Ranges) {
            if (std::strcmp(cName, range.name) == 0) before.*range.field = static_cast<std::int32_t>(ExpectedValue(cValue, range));
            ZARN_FUZZ_CHECK(Options.*range.field == before.*range.field, "%s is %d, expected %d", range.name,
                            Options.*range.field, before.*range.field);
        }
    }
    for (const Range& range : Ranges)
        ZARN_FUZZ_CHECK(Options.*range.field >= range.min && Options.*range.field <= range.max, "%s out of range: %d",
                        range.name, Options.*range.field);

    char position[sizeof(SearchedPosition)];
    std::memcpy(position, SearchedPosition, sizeof(position));
    ZarnSetPosition(position);
    ZARN_FUZZ_CHECK(AnalyseWithin(3, AnalysisBudgetMs) == 0, "no move found in the searched position");
    return 0;
}

}  // namespace zarn::fuzz
