// The thirteen tuning parameters, settable by name.
#pragma once

#include <cstdint>

namespace zarn {

struct EngineOptions {
    std::int32_t CheckExtensions = 0;
    std::int32_t RecaptureExtensions = 0;
    std::int32_t PawnPushExtensions = 0;
    std::int32_t ThreatExtensions = 0;
    std::int32_t SingleMoveExtensions = 0;
    std::int32_t DrawScore = 0;
    std::int32_t FutilityPruning = 0;
    std::int32_t MaterialTrade = 0;
    std::int32_t OffensiveAsymmetry = 0;
    std::int32_t SafetyAsymmetry = 0;
    std::int32_t OffensiveScale = 0;
    std::int32_t SafetyScale = 0;
    std::int32_t BlitzPlayingSpeed = 0;
};

// Zero until the first ZarnInit.
extern EngineOptions Options;

void RestoreOptionDefaults();
// Sets one parameter by exact (case-sensitive) name, value read as atoi and clamped; unknown names are ignored.
void SetOption(const char* name, const char* value);
// The advertised option texts, ended by a null pointer.
const char* const* AdvertisedOptions();

}  // namespace zarn
