// The option table: the engine's option texts parsed into host option records, the host's edits taken
// back through Eng14, and changed values handed to the engine before the next search.
#include "adapter/option_bridge.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "adapter/binding.h"
#include "adapter/eng.h"
#include "adapter/state.h"

namespace zarn::adapter {
namespace {

std::array<OptionRecord, MaxOptions> optionTable{};
int optionCount = 0;
std::array<std::uint8_t, MaxOptions + 1> changed{};
bool optionsChanged = false;
OptionDescriptor descriptor{static_cast<std::int32_t>(sizeof(OptionDescriptor)), 0, {0, 0, 0}, 0, nullptr};

constexpr bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Reads a signed decimal number after optional white space, saturating at the int range.
bool ReadNumber(const char*& text, int& value) {
    const char* c = text;
    while (IsSpace(*c)) ++c;
    bool negative = false;
    if (*c == '+' || *c == '-') negative = *c++ == '-';
    if (*c < '0' || *c > '9') return false;
    long long magnitude = 0;
    for (; *c >= '0' && *c <= '9'; ++c) magnitude = std::min(magnitude * 10 + (*c - '0'), 1LL << 32);
    const long long signedValue = negative ? -magnitude : magnitude;
    value = static_cast<int>(std::clamp<long long>(signedValue, INT_MIN, INT_MAX));
    text = c;
    return true;
}

// Matches text against a pattern as scanf would: a blank skips any run of white space, "%d" reads a
// number, any other character must match itself. Returns the count of numbers read.
int ScanNumbers(const char* text, const char* pattern, int (&values)[3]) {
    int count = 0;
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (*p == ' ') {
            while (IsSpace(*text)) ++text;
        } else if (p[0] == '%' && p[1] == 'd') {
            if (count == 3 || !ReadNumber(text, values[count])) return count;
            ++count;
            ++p;
        } else if (*text++ != *p) {
            return count;
        }
    }
    return count;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::uint8_t* NewBlock(const std::uint8_t* data, std::size_t size) {
    auto* block = new (std::nothrow) std::uint8_t[size];
    if (block != nullptr) std::memcpy(block, data, size);
    return block;
}

std::uint8_t* Block(const OptionRecord& record, OptionValue role) {
    return reinterpret_cast<std::uint8_t*>(record.Values[role]);
}

bool HoldsBlocks(const OptionRecord& record) { return record.Type == OptionCombo || record.Type == OptionString; }

void FreeRecord(OptionRecord& record) {
    delete[] record.Name;
    record.Name = nullptr;
    if (HoldsBlocks(record))
        for (std::intptr_t& value : record.Values) {
            delete[] reinterpret_cast<std::uint8_t*>(value);
            value = 0;
        }
    record.NameLength = 0;
    record.DataSize = 0;
}

// Adds a record whose value words are either numbers or four copies of one data block.
void AppendRecord(std::string_view name, std::int32_t type, const std::intptr_t (&numbers)[4],
                  const std::uint8_t* block, std::size_t blockSize) {
    if (optionCount >= MaxOptions) return;
    OptionRecord record{};
    record.RecordSize = static_cast<std::int32_t>(sizeof(OptionRecord));
    record.Type = type;
    record.Name = new (std::nothrow) char[name.size() + 1];
    if (record.Name == nullptr) return;
    std::memcpy(record.Name, name.data(), name.size());
    record.Name[name.size()] = '\0';
    record.NameLength = static_cast<std::int32_t>(name.size());
    if (block == nullptr) {
        record.DataSize = 4;
        std::copy(std::begin(numbers), std::end(numbers), record.Values);
    } else {
        record.DataSize = static_cast<std::int32_t>(blockSize);
        for (std::intptr_t& value : record.Values) {
            std::uint8_t* copy = NewBlock(block, blockSize);
            if (copy == nullptr) {
                FreeRecord(record);
                return;
            }
            value = reinterpret_cast<std::intptr_t>(copy);
        }
    }
    optionTable[optionCount++] = record;
}

// "combo [default D] var A var B ...": a block of entry count, default index and length-prefixed texts.
// Parsing ends where neither a default nor an entry follows.
void AppendCombo(std::string_view name, std::string_view text) {
    constexpr std::string_view var = " var ";
    std::array<std::uint8_t, 3 + MaxComboEntries * (MaxComboEntryText + 1)> block{};
    std::size_t size = 2;
    int entries = 0;
    int defaultIndex = 0;
    std::string_view defaultText;
    std::size_t cursor = 0;
    // Without a default the first entry follows "combo " at once, its leading blank already read.
    bool entryAtStart = StartsWith(text, var.substr(1));
    if (StartsWith(text, "default ")) {
        cursor = std::min(text.find(var, 8), text.size());
        defaultText = text.substr(8, cursor - 8);
    }
    while (entryAtStart || StartsWith(text.substr(cursor), var)) {
        const std::size_t start = entryAtStart ? var.size() - 1 : cursor + var.size();
        entryAtStart = false;
        cursor = std::min(text.find(var, start), text.size());
        if (entries == MaxComboEntries) continue;
        const std::string_view entry = text.substr(start, std::min<std::size_t>(cursor - start, MaxComboEntryText));
        if (!defaultText.empty() && entry.find(defaultText) != std::string_view::npos) defaultIndex = entries;
        block[size++] = static_cast<std::uint8_t>(entry.size());
        std::memcpy(block.data() + size, entry.data(), entry.size());
        size += entry.size();
        ++entries;
    }
    block[0] = static_cast<std::uint8_t>(entries);
    block[1] = static_cast<std::uint8_t>(defaultIndex);
    block[size++] = 0;
    AppendRecord(name, OptionCombo, {}, block.data(), size);
}

// "string [default text]": a 128-byte block with the default text, cut at the first line break.
void AppendString(std::string_view name, std::string_view text) {
    std::array<std::uint8_t, StringBlockSize> block{};
    if (StartsWith(text, "string default ")) {
        std::string_view value = text.substr(15);
        value = value.substr(0, std::min({value.find_first_of("\r\n"), value.size(), std::size_t{StringBlockSize - 1}}));
        std::memcpy(block.data(), value.data(), value.size());
    }
    AppendRecord(name, OptionString, {}, block.data(), block.size());
}

void ImportOption(const char* text) {
    constexpr std::string_view namePrefix = "option name ";
    constexpr std::string_view typeWord = " type ";
    const std::string_view all = text;
    if (!StartsWith(all, namePrefix)) return;
    const std::size_t typeAt = all.find(typeWord, namePrefix.size());
    if (typeAt == std::string_view::npos) return;
    const std::string_view name =
        all.substr(namePrefix.size(), std::min<std::size_t>(typeAt - namePrefix.size(), MaxOptionName));
    const char* rest = text + typeAt + typeWord.size();
    const std::string_view restView = rest;

    int n[3] = {0, 0, 0};
    if (ScanNumbers(rest, "spin min %d max %d default %d", n) == 3) {
        AppendRecord(name, OptionSpin, {n[2], n[2], n[0], n[1]}, nullptr, 0);
    } else if (ScanNumbers(rest, "spin default %d min %d max %d", n) == 3) {
        AppendRecord(name, OptionSpin, {n[0], n[0], n[1], n[2]}, nullptr, 0);
    } else if (StartsWith(restView, "check default ")) {
        const char* word = rest + 14;
        while (IsSpace(*word)) ++word;
        if (*word == '\0') return;
        const std::intptr_t value = *word == 't' ? 1 : 0;
        AppendRecord(name, OptionCheck, {value, value, 0, 1}, nullptr, 0);
    } else if (StartsWith(restView, "combo ")) {
        AppendCombo(name, restView.substr(6));
    } else if (StartsWith(restView, "string")) {
        AppendString(name, restView);
    }
}

void MarkChanged(int index) {
    changed[static_cast<std::size_t>(index)] = 1;
    optionsChanged = true;
}

// The text of a combo's selected entry, found by skipping the entries before it.
bool SelectedComboText(const OptionRecord& record, char (&text)[MaxComboEntryText + 1]) {
    const std::uint8_t* block = Block(record, CurrentValue);
    if (block == nullptr || block[1] >= block[0]) return false;
    std::size_t at = 2;
    for (int skip = block[1]; skip > 0; --skip) at += 1 + block[at];
    const std::size_t length = std::min<std::size_t>(block[at], MaxComboEntryText);
    if (at + 1 + length > static_cast<std::size_t>(record.DataSize)) return false;
    std::memcpy(text, block + at + 1, length);
    text[length] = '\0';
    return true;
}

void TakeOverBlock(OptionRecord& mine, const OptionRecord& theirs, int index) {
    std::uint8_t* current = Block(mine, CurrentValue);
    const std::uint8_t* edited = Block(theirs, CurrentValue);
    if (current == nullptr || edited == nullptr || current[1] == edited[1]) return;
    if (mine.Type == OptionCombo) {
        if (edited[1] >= current[0]) return;
        current[1] = edited[1];
    } else {
        const void* end = std::memchr(edited, 0, StringBlockSize - 1);
        const std::size_t length =
            end != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - edited) : StringBlockSize - 1;
        std::memcpy(current, edited, length);
        current[length] = '\0';
    }
    MarkChanged(index);
}

}  // namespace

void ImportEngineOptions(const char* const* texts) {
    FreeOptionTable();
    if (texts != nullptr)
        for (; *texts != nullptr && **texts != '\0'; ++texts) ImportOption(*texts);
    descriptor.OptionCount = optionCount;
    descriptor.Options = optionTable.data();
    changed.fill(0);
    optionsChanged = false;
}

void PushChangedOptions() {
    const auto setParam = Entry<EntrySetParam>();
    if (!optionsChanged || setParam == nullptr) return;
    for (int i = 0; i < optionCount; ++i) {
        if (changed[static_cast<std::size_t>(i)] == 0) continue;
        const OptionRecord& record = optionTable[static_cast<std::size_t>(i)];
        char value[MaxComboEntryText + 1];
        switch (record.Type) {
            case OptionCheck:
                setParam(record.Name, record.Values[CurrentValue] != 0 ? "true" : "false");
                break;
            case OptionSpin:
                std::snprintf(value, sizeof value, "%d", static_cast<int>(record.Values[CurrentValue]));
                setParam(record.Name, value);
                break;
            case OptionCombo:
                if (SelectedComboText(record, value)) setParam(record.Name, value);
                break;
            default:
                break;
        }
    }
    changed.fill(0);
    optionsChanged = false;
}

void FreeOptionTable() {
    for (int i = 0; i < optionCount; ++i) FreeRecord(optionTable[static_cast<std::size_t>(i)]);
    optionCount = 0;
    descriptor.OptionCount = 0;
}

}  // namespace zarn::adapter

using namespace zarn::adapter;

extern "C" {

ENG_API OptionDescriptor* ENG_CALL Eng13(void) {
    if (const MainlineRecord* mainline = Records.Mainline) {
        descriptor.HostWords[0] = mainline->Head.HostWord8;
        descriptor.HostWords[1] = mainline->Head.HostWord12;
        descriptor.HostWords[2] = mainline->Head.HostWord16;
    }
    return &descriptor;
}

// Changes stay marked until they reach the engine, so a second edit before the next search loses none.
ENG_API int ENG_CALL Eng14(OptionDescriptor* edited) {
    if (edited == nullptr || optionCount == 0) return 0;
    const int count = edited->Options != nullptr ? std::min(optionCount, edited->OptionCount) : 0;
    for (int i = 0; i < count; ++i) {
        OptionRecord& mine = optionTable[static_cast<std::size_t>(i)];
        const OptionRecord& theirs = edited->Options[i];
        if (theirs.Type != mine.Type) continue;
        mine.Flags = theirs.Flags;
        if (mine.Type == OptionCheck || mine.Type == OptionSpin) {
            if (theirs.Values[CurrentValue] != mine.Values[CurrentValue]) {
                mine.Values[CurrentValue] = theirs.Values[CurrentValue];
                MarkChanged(i);
            }
        } else if (HoldsBlocks(mine)) {
            TakeOverBlock(mine, theirs, i);
        }
    }
    return optionCount;
}

}  // extern "C"
