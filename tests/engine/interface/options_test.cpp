// The thirteen parameters: defaults, names, number reading and clamping, and the advertised texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/interface/options.h"

namespace zarn {
namespace {

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override { RestoreOptionDefaults(); }
};

TEST_F(OptionsTest, Defaults) {
    EXPECT_EQ(Options.CheckExtensions, 60);
    EXPECT_EQ(Options.RecaptureExtensions, 45);
    EXPECT_EQ(Options.PawnPushExtensions, 45);
    EXPECT_EQ(Options.ThreatExtensions, 36);
    EXPECT_EQ(Options.SingleMoveExtensions, 45);
    EXPECT_EQ(Options.DrawScore, 15);
    EXPECT_EQ(Options.FutilityPruning, 0);
    EXPECT_EQ(Options.MaterialTrade, 120);
    EXPECT_EQ(Options.OffensiveAsymmetry, 0);
    EXPECT_EQ(Options.SafetyAsymmetry, 0);
    EXPECT_EQ(Options.OffensiveScale, 100);
    EXPECT_EQ(Options.SafetyScale, 100);
    EXPECT_EQ(Options.BlitzPlayingSpeed, 26);
}

TEST_F(OptionsTest, ValuesAreClampedToTheirRanges) {
    SetOption("DrawScore", "-80");
    EXPECT_EQ(Options.DrawScore, -50);
    SetOption("ThreatExtensions", "99");
    EXPECT_EQ(Options.ThreatExtensions, 60);
    SetOption("BlitzPlayingSpeed", "fast");
    EXPECT_EQ(Options.BlitzPlayingSpeed, 25);
    SetOption("FutilityPruning", "501");
    EXPECT_EQ(Options.FutilityPruning, 500);
    SetOption("SafetyScale", "-1");
    EXPECT_EQ(Options.SafetyScale, 0);
}

TEST_F(OptionsTest, NumbersAreReadLikeAtoi) {
    SetOption("DrawScore", "  -12abc");
    EXPECT_EQ(Options.DrawScore, -12);
    SetOption("DrawScore", "\t+7");
    EXPECT_EQ(Options.DrawScore, 7);
    SetOption("DrawScore", "- 5");
    EXPECT_EQ(Options.DrawScore, 0);
    SetOption("MaterialTrade", "1e2");
    EXPECT_EQ(Options.MaterialTrade, 1);
    // Digit runs beyond the integer range saturate, then clamp.
    SetOption("MaterialTrade", "99999999999999999999999");
    EXPECT_EQ(Options.MaterialTrade, 150);
    SetOption("DrawScore", "-99999999999999999999999");
    EXPECT_EQ(Options.DrawScore, -50);
    SetOption("DrawScore", "2147483648");
    EXPECT_EQ(Options.DrawScore, 50);
}

TEST_F(OptionsTest, NamesMatchExactlyAndCaseSensitively) {
    SetOption("drawscore", "30");
    SetOption("DrawScore ", "30");
    SetOption("Draw", "30");
    SetOption("", "30");
    EXPECT_EQ(Options.DrawScore, 15);
    SetOption("DrawScore", "30");
    EXPECT_EQ(Options.DrawScore, 30);
}

TEST_F(OptionsTest, UnadvertisedParametersAreSettable) {
    SetOption("CheckExtensions", "30");
    SetOption("FutilityPruning", "200");
    SetOption("MaterialTrade", "0");
    SetOption("OffensiveAsymmetry", "-20");
    SetOption("SafetyAsymmetry", "20");
    SetOption("OffensiveScale", "150");
    SetOption("SafetyScale", "50");
    EXPECT_EQ(Options.CheckExtensions, 30);
    EXPECT_EQ(Options.FutilityPruning, 200);
    EXPECT_EQ(Options.MaterialTrade, 0);
    EXPECT_EQ(Options.OffensiveAsymmetry, -20);
    EXPECT_EQ(Options.SafetyAsymmetry, 20);
    EXPECT_EQ(Options.OffensiveScale, 150);
    EXPECT_EQ(Options.SafetyScale, 50);
}

TEST_F(OptionsTest, NullTextsAreEmptyTexts) {
    SetOption(nullptr, "30");
    EXPECT_EQ(Options.DrawScore, 15);
    SetOption("BlitzPlayingSpeed", nullptr);
    EXPECT_EQ(Options.BlitzPlayingSpeed, 25);
}

TEST_F(OptionsTest, AdvertisedTexts) {
    std::vector<std::string> texts;
    for (const char* const* p = AdvertisedOptions(); *p; ++p) texts.emplace_back(*p);
    const std::vector<std::string> expected = {
        "option name RecaptureExtensions type spin default 45 min 0 max 60",
        "option name PawnPushExtensions type spin default 45 min 0 max 60",
        "option name ThreatExtensions type spin default 36 min 0 max 60",
        "option name SingleMoveExtensions type spin default 45 min 0 max 60",
        "option name DrawScore type spin default 15 min -50 max 50",
        "option name BlitzPlayingSpeed type spin default 26 min 25 max 35",
    };
    EXPECT_EQ(texts, expected);
    SetOption("DrawScore", "40");
    EXPECT_STREQ(AdvertisedOptions()[4], "option name DrawScore type spin default 15 min -50 max 50");
}

}  // namespace
}  // namespace zarn
