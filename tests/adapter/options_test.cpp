// The options bridge: the engine's option texts as host option records, and the host's changes
// reaching the engine before the next search.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/adapter/staged_plugin.h"

namespace zarn::adapter_test {
namespace {

struct Spin {
    const char* name;
    int defaultValue, minimum, maximum;
};

TEST(AdapterOptions, EngineOptionsBecomeSixSpinRecords) {
    StagedPlugin plugin(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::Real);
    ASSERT_EQ(plugin.Start(1024), 0);
    const OptionDescriptor* descriptor = plugin.eng13();
    EXPECT_EQ(descriptor->RecordSize, static_cast<std::int32_t>(sizeof(OptionDescriptor)));
    EXPECT_EQ(descriptor->HostWords[0], 8008);
    EXPECT_EQ(descriptor->HostWords[1], 1212);
    EXPECT_EQ(descriptor->HostWords[2], 1616);
    const Spin expected[] = {{"RecaptureExtensions", 45, 0, 60}, {"PawnPushExtensions", 45, 0, 60},
                             {"ThreatExtensions", 36, 0, 60},    {"SingleMoveExtensions", 45, 0, 60},
                             {"DrawScore", 15, -50, 50},         {"BlitzPlayingSpeed", 26, 25, 35}};
    ASSERT_EQ(descriptor->OptionCount, 6);
    for (int i = 0; i < 6; ++i) {
        const OptionRecord& record = descriptor->Options[i];
        EXPECT_EQ(record.RecordSize, static_cast<std::int32_t>(sizeof(OptionRecord)));
        EXPECT_EQ(record.Type, OptionSpin);
        EXPECT_STREQ(record.Name, expected[i].name);
        EXPECT_EQ(record.NameLength, static_cast<std::int32_t>(std::strlen(expected[i].name)));
        EXPECT_EQ(record.DataSize, 4);
        EXPECT_EQ(record.Values[DefaultValue], expected[i].defaultValue);
        EXPECT_EQ(record.Values[CurrentValue], expected[i].defaultValue);
        EXPECT_EQ(record.Values[MinimumValue], expected[i].minimum);
        EXPECT_EQ(record.Values[MaximumValue], expected[i].maximum);
    }
    plugin.eng2();
    EXPECT_EQ(plugin.eng13()->OptionCount, 0);
}

class AdapterOptionChanges : public ::testing::Test {
protected:
    void Start(const char* const* texts) {
        plugin = std::make_unique<StagedPlugin>(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::Probe);
        plugin->ProbeSetOptions(texts);
        ASSERT_EQ(plugin->Start(1024), 0);
        const OptionDescriptor* descriptor = plugin->eng13();
        edited.assign(descriptor->Options, descriptor->Options + descriptor->OptionCount);
    }

    const OptionRecord& Record(int index) const { return plugin->eng13()->Options[index]; }

    int Hand(std::vector<OptionRecord>& records) {
        OptionDescriptor descriptor = *plugin->eng13();
        descriptor.Options = records.data();
        return plugin->eng14(&descriptor);
    }

    std::string Search() {
        plugin->ProbeClearLog();
        SearchRequest request = StartPositionRequest(5);
        plugin->eng9(&request);
        return plugin->ProbeLog();
    }

    std::unique_ptr<StagedPlugin> plugin;
    std::vector<OptionRecord> edited;
};

constexpr const char* EngineTexts[] = {
    "option name RecaptureExtensions type spin default 45 min 0 max 60",
    "option name PawnPushExtensions type spin default 45 min 0 max 60",
    "option name ThreatExtensions type spin default 36 min 0 max 60",
    "option name SingleMoveExtensions type spin default 45 min 0 max 60",
    "option name DrawScore type spin default 15 min -50 max 50",
    "option name BlitzPlayingSpeed type spin default 26 min 25 max 35",
    nullptr,
};

TEST_F(AdapterOptionChanges, ChangedDrawScoreReachesTheEngineBeforeTheNextSearch) {
    Start(EngineTexts);
    edited[4].Values[CurrentValue] = 20;
    EXPECT_EQ(Hand(edited), 6);
    EXPECT_EQ(Record(4).Values[CurrentValue], 20);
    // A second edit of the dialog before the search keeps the first change.
    EXPECT_EQ(Hand(edited), 6);
    EXPECT_EQ(Search(), "SetStartPosition SetDepth(5) SetParam(DrawScore,20) Analyse(0)");
    EXPECT_EQ(Search(), "SetStartPosition SetDepth(5) Analyse(0)");
}

TEST_F(AdapterOptionChanges, RecordOfAnotherTypeIsNotTakenOver) {
    Start(EngineTexts);
    edited[0].Type = OptionCheck;
    edited[0].Values[CurrentValue] = 1;
    edited[0].Flags = 77;
    edited[1].Flags = 5;
    Hand(edited);
    EXPECT_EQ(Record(0).Values[CurrentValue], 45);
    EXPECT_EQ(Record(0).Flags, 0);
    EXPECT_EQ(Record(1).Flags, 5);
    EXPECT_EQ(Search(), "SetStartPosition SetDepth(5) Analyse(0)");
}

const std::string LongName(70, 'N');
const std::string LongDefault = std::string(200, 'd') + "\nsecond line";
std::string ManyEntries() {
    std::string text = "option name Many type combo default E69";
    for (int i = 0; i < 70; ++i) text += " var " + std::string(78, 'e') + "E" + std::to_string(i);
    return text;
}
const std::string LongNameText = "option name " + LongName + " type spin min 0 max 9 default 3";
const std::string ManyEntriesText = ManyEntries();
const std::string LongStringText = "option name Book type string default " + LongDefault;

const char* const OddTexts[] = {
    "option name Ponder type check default true",
    "option name Style type combo default Normal var Solid var Normal var Risky",
    LongStringText.c_str(),
    LongNameText.c_str(),
    ManyEntriesText.c_str(),
    "option name Clear Hash type button",
    "option name NoType spin default 1 min 0 max 2",
    "not an option",
    "option name Empty type string",
    "option name Plain type combo var One var Two",
    "",
    "option name AfterTheEnd type spin default 1 min 0 max 2",
    nullptr,
};

TEST_F(AdapterOptionChanges, EveryOptionKindIsReadWithinItsBounds) {
    Start(OddTexts);
    ASSERT_EQ(plugin->eng13()->OptionCount, 7);

    EXPECT_EQ(Record(0).Type, OptionCheck);
    EXPECT_EQ(Record(0).Values[DefaultValue], 1);
    EXPECT_EQ(Record(0).Values[MaximumValue], 1);

    const OptionRecord& style = Record(1);
    ASSERT_EQ(style.Type, OptionCombo);
    const std::uint8_t expectedBlock[] = {3, 1, 5, 'S', 'o', 'l', 'i', 'd', 6, 'N', 'o', 'r', 'm', 'a', 'l',
                                          5, 'R', 'i', 's', 'k', 'y', 0};
    ASSERT_EQ(style.DataSize, static_cast<std::int32_t>(sizeof expectedBlock));
    for (int role = DefaultValue; role <= MaximumValue; ++role)
        EXPECT_EQ(std::memcmp(reinterpret_cast<const void*>(style.Values[role]), expectedBlock, sizeof expectedBlock), 0);
    EXPECT_NE(style.Values[DefaultValue], style.Values[CurrentValue]);  // separate copies

    const OptionRecord& book = Record(2);
    EXPECT_EQ(book.Type, OptionString);
    EXPECT_EQ(book.DataSize, StringBlockSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(book.Values[CurrentValue])), std::string(127, 'd'));

    const OptionRecord& longName = Record(3);
    EXPECT_EQ(longName.NameLength, 63);
    EXPECT_EQ(std::string(longName.Name), std::string(63, 'N'));
    EXPECT_EQ(longName.Values[DefaultValue], 3);
    EXPECT_EQ(longName.Values[MinimumValue], 0);
    EXPECT_EQ(longName.Values[MaximumValue], 9);

    const OptionRecord& many = Record(4);
    const auto* block = reinterpret_cast<const std::uint8_t*>(many.Values[CurrentValue]);
    EXPECT_EQ(block[0], 64);
    EXPECT_EQ(block[2], 63);
    EXPECT_EQ(many.DataSize, 3 + 64 * 64);
    EXPECT_EQ(block[1], 0);  // the default entry lies beyond the 64 kept

    EXPECT_EQ(Record(5).Type, OptionString);
    EXPECT_NE(Record(5).Values[DefaultValue], 0);

    // A combo without a default starts with its first entry.
    const std::uint8_t plainBlock[] = {2, 0, 3, 'O', 'n', 'e', 3, 'T', 'w', 'o', 0};
    ASSERT_EQ(Record(6).DataSize, static_cast<std::int32_t>(sizeof plainBlock));
    EXPECT_EQ(std::memcmp(reinterpret_cast<const void*>(Record(6).Values[CurrentValue]), plainBlock, sizeof plainBlock), 0);
}

TEST_F(AdapterOptionChanges, CheckAndComboChangesPassAsText) {
    Start(OddTexts);
    edited[0].Values[CurrentValue] = 0;
    std::vector<std::uint8_t> styleBlock(static_cast<std::size_t>(edited[1].DataSize));
    std::memcpy(styleBlock.data(), reinterpret_cast<const void*>(edited[1].Values[CurrentValue]), styleBlock.size());
    styleBlock[1] = 2;
    edited[1].Values[CurrentValue] = reinterpret_cast<std::intptr_t>(styleBlock.data());
    std::vector<std::uint8_t> bookBlock(StringBlockSize, 0);
    std::memcpy(bookBlock.data(), "other.bin", 9);
    edited[2].Values[CurrentValue] = reinterpret_cast<std::intptr_t>(bookBlock.data());
    Hand(edited);
    EXPECT_EQ(Search(), "SetStartPosition SetDepth(5) SetParam(Ponder,false) SetParam(Style,Risky) Analyse(0)");

    // An entry index beyond the combo's entries is refused.
    styleBlock[1] = 9;
    Hand(edited);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(Record(1).Values[CurrentValue])[1], 2);
}

TEST_F(AdapterOptionChanges, TableHoldsAtMost127Options) {
    static std::vector<std::string> texts;
    static std::vector<const char*> pointers;
    for (int i = 0; i < 200; ++i) texts.push_back("option name O" + std::to_string(i) + " type spin default 1 min 0 max 2");
    for (const std::string& text : texts) pointers.push_back(text.c_str());
    pointers.push_back(nullptr);
    Start(pointers.data());
    EXPECT_EQ(plugin->eng13()->OptionCount, MaxOptions);
    EXPECT_STREQ(Record(126).Name, "O126");
}

}  // namespace
}  // namespace zarn::adapter_test
