// The thirteen tuning parameters: defaults, ranges, setting by name and the advertised texts.
#include "engine/interface/options.h"

#include <climits>
#include <cstring>

namespace zarn {

EngineOptions Options;

namespace {

struct OptionRule {
    const char* name;
    std::int32_t EngineOptions::*field;
    std::int32_t defaultValue;
    std::int32_t minimum;
    std::int32_t maximum;
};

constexpr OptionRule OptionRules[] = {
    {"CheckExtensions", &EngineOptions::CheckExtensions, 60, 0, 60},
    {"RecaptureExtensions", &EngineOptions::RecaptureExtensions, 45, 0, 60},
    {"PawnPushExtensions", &EngineOptions::PawnPushExtensions, 45, 0, 60},
    {"ThreatExtensions", &EngineOptions::ThreatExtensions, 36, 0, 60},
    {"SingleMoveExtensions", &EngineOptions::SingleMoveExtensions, 45, 0, 60},
    {"DrawScore", &EngineOptions::DrawScore, 15, -50, 50},
    {"FutilityPruning", &EngineOptions::FutilityPruning, 0, 0, 500},
    {"MaterialTrade", &EngineOptions::MaterialTrade, 120, 0, 150},
    {"OffensiveAsymmetry", &EngineOptions::OffensiveAsymmetry, 0, -50, 50},
    {"SafetyAsymmetry", &EngineOptions::SafetyAsymmetry, 0, -50, 50},
    {"OffensiveScale", &EngineOptions::OffensiveScale, 100, 0, 200},
    {"SafetyScale", &EngineOptions::SafetyScale, 100, 0, 200},
    {"BlitzPlayingSpeed", &EngineOptions::BlitzPlayingSpeed, 26, 25, 35},
};

constexpr const char* AdvertisedTexts[] = {
    "option name RecaptureExtensions type spin default 45 min 0 max 60",
    "option name PawnPushExtensions type spin default 45 min 0 max 60",
    "option name ThreatExtensions type spin default 36 min 0 max 60",
    "option name SingleMoveExtensions type spin default 45 min 0 max 60",
    "option name DrawScore type spin default 15 min -50 max 50",
    "option name BlitzPlayingSpeed type spin default 26 min 25 max 35",
    nullptr,
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Reads like the C library's atoi (leading blanks, optional sign, decimal digits, 0 without digits),
// but saturates instead of overflowing on long digit runs.
std::int64_t ReadInteger(const char* text) {
    if (!text) return 0;
    while (IsBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > INT_MAX) value = static_cast<std::int64_t>(INT_MAX) + 1;
    }
    return negative ? -value : value;
}

}  // namespace

void RestoreOptionDefaults() {
    for (const OptionRule& rule : OptionRules) Options.*rule.field = rule.defaultValue;
}

void SetOption(const char* name, const char* value) {
    if (!name) return;
    for (const OptionRule& rule : OptionRules) {
        if (std::strcmp(name, rule.name) != 0) continue;
        std::int64_t number = ReadInteger(value);
        if (number < rule.minimum) number = rule.minimum;
        if (number > rule.maximum) number = rule.maximum;
        Options.*rule.field = static_cast<std::int32_t>(number);
        return;
    }
}

const char* const* AdvertisedOptions() { return AdvertisedTexts; }

}  // namespace zarn
