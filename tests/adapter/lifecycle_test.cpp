// Starting, stopping and identifying the plug-in: where it finds the engine library, what it does
// without one, and what the host gets back from each call.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/adapter/staged_plugin.h"

namespace zarn::adapter_test {
namespace {

TEST(AdapterLifecycle, InstalledInSubdirectoryWithCapitalsBindsTheLibraryBesideIt) {
    // The tail "Sub/Probe.eng" also occurs higher up the path; only the last one is cut off.
    const auto engines = FreshDirectory("Sub/Probe.eng Files/Engines");
    StagedPlugin plugin(engines / "Sub", "Probe.eng", EngineLibrary::Probe);
    ASSERT_EQ(plugin.Start(0), 0);
    // A requested hash of 0 reaches the engine as 1024 KB; the engines directory keeps its case.
    EXPECT_EQ(plugin.ProbeLog(), "Init(" + engines.string() + "/,1024)");
    EXPECT_EQ(plugin.setup->HashKb, 1024);
    EXPECT_EQ(plugin.eng5(), 1);
    EXPECT_STREQ(plugin.eng7(), "Probe 1");
    EXPECT_EQ(plugin.eng8(), 2100);
}

TEST(AdapterLifecycle, RealEngineStartsFromACapitalisedPath) {
    // ".eng" in a directory name higher up must not be taken for the plug-in's extension.
    const auto engines = FreshDirectory("Chess.eng Host/ENGINES");
    StagedPlugin plugin(engines / "Zarn", "Zarn.eng", EngineLibrary::Real);
    // Before the start the texts come from the engine library loaded for the query alone.
    EXPECT_STREQ(plugin.eng7(), "Zarn 504");
    EXPECT_STREQ(plugin.eng6(), "The Zarn developers");
    EXPECT_EQ(plugin.eng5(), 0);
    EXPECT_EQ(plugin.eng12(), 67117072);
    ASSERT_EQ(plugin.Start(0), 0);
    EXPECT_EQ(plugin.setup->HashKb, 1024);
    EXPECT_STREQ(plugin.eng7(), "Zarn 504");
    EXPECT_EQ(plugin.eng8(), 2500);
    EXPECT_EQ(plugin.eng2(), 1);
}

TEST(AdapterLifecycle, MissingEngineLibraryGivesNineAndLeavesNothingStarted) {
    StagedPlugin plugin(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::None);
    EXPECT_EQ(plugin.Start(4096), 9);
    EXPECT_EQ(plugin.eng5(), 0);
    EXPECT_EQ(plugin.eng2(), 0);
    EXPECT_STREQ(plugin.eng7(), "Zarn");
    EXPECT_NE(std::strlen(plugin.eng6()), 0u);
    EXPECT_EQ(plugin.eng8(), 2500);
}

TEST(AdapterLifecycle, MissingRequiredExportGivesNine) {
    StagedPlugin plugin(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::Incomplete);
    EXPECT_EQ(plugin.Start(4096), 9);
    EXPECT_EQ(plugin.eng5(), 0);
    // The entries that are present are not bound either.
    EXPECT_EQ(plugin.eng8(), 2500);
}

TEST(AdapterLifecycle, SecondStartIsRefusedUntilStopped) {
    StagedPlugin plugin(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::Probe);
    ASSERT_EQ(plugin.Start(1024), 0);
    EXPECT_EQ(plugin.Start(1024), 1);
    EXPECT_EQ(plugin.eng2(), 1);
    EXPECT_EQ(plugin.eng2(), 0);
    EXPECT_EQ(plugin.ProbeLog(), "Init(" + plugin.pluginPath.parent_path().string() + "/,1024) Quit");
    ASSERT_EQ(plugin.Start(2048), 0);
    EXPECT_EQ(plugin.eng5(), 1);
}

TEST(AdapterLifecycle, EngineRefusingToStartGivesTwoAfterAFullCleanUp) {
    StagedPlugin plugin(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::Probe);
    EXPECT_EQ(plugin.Start(ProbeRefusedHashKb), 2);
    EXPECT_EQ(plugin.eng5(), 0);
    EXPECT_EQ(plugin.eng13()->OptionCount, 0);
    EXPECT_EQ(plugin.Start(1024), 0);
}

// Calls that reach into the engine do nothing harmful when no engine is bound.
TEST(AdapterLifecycle, EngineCallsBeforeStartAndAfterStopAreHarmless) {
    StagedPlugin plugin(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::Probe);
    SearchRequest request = StartPositionRequest(5);
    auto callEverything = [&] {
        EXPECT_EQ(plugin.eng3(), 0);
        EXPECT_EQ(plugin.eng4(), 0);
        EXPECT_EQ(plugin.eng9(&request), 0);
        EXPECT_EQ(plugin.eng10(), 0);
        EXPECT_EQ(plugin.eng11(), 0);
        EXPECT_EQ(plugin.eng13()->OptionCount, 0);
        EXPECT_EQ(plugin.eng14(plugin.eng13()), 0);
        EXPECT_EQ(plugin.eng15(), 0);
    };
    callEverything();
    EXPECT_EQ(plugin.ProbeLog(), "");
    ASSERT_EQ(plugin.Start(1024), 0);
    plugin.eng15();
    EXPECT_EQ(plugin.eng2(), 1);
    plugin.ProbeClearLog();
    callEverything();
    EXPECT_EQ(plugin.ProbeLog(), "");
}

TEST(AdapterLifecycle, LogoIsAHundredByFiftyTwentyFourBitBitmap) {
    StagedPlugin plugin(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::None);
    const auto* bitmap = static_cast<const std::uint8_t*>(plugin.eng19());
    ASSERT_NE(bitmap, nullptr);
    auto word32 = [&](int at) {
        std::int32_t value;
        std::memcpy(&value, bitmap + at, 4);
        return value;
    };
    EXPECT_EQ(bitmap[0], 'B');
    EXPECT_EQ(bitmap[1], 'M');
    EXPECT_EQ(word32(2), 54 + 100 * 50 * 3);  // file size: headers and rows of 300 bytes
    EXPECT_EQ(word32(18), 100);
    EXPECT_EQ(word32(22), 50);
    EXPECT_EQ(bitmap[28], 24);
}

}  // namespace
}  // namespace zarn::adapter_test
