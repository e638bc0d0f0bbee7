// The records the chess host and the adapter exchange. Byte offsets are fixed by the host; every one
// the adapter reads or writes is asserted below. Records that hold pointers keep their field order with
// pointer-sized words on 64-bit platforms and have the host's exact sizes on 32-bit ones.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/interface/zarn.h"

namespace zarn::adapter {

// A move as the host stores it: squares numbered file * 8 + rank (a1 = 0, a2 = 1, b1 = 8, h8 = 63).
struct HostMove {
    std::uint8_t From;
    std::uint8_t To;
    std::uint8_t Zero;
    std::uint8_t Promotion;  // 2 queen, 3 knight, 4 bishop, 5 rook, 0 none
};

// The host's promotion codes in a HostMove.
inline constexpr std::uint8_t HostPromoteQueen = 2;
inline constexpr std::uint8_t HostPromoteKnight = 3;
inline constexpr std::uint8_t HostPromoteBishop = 4;
inline constexpr std::uint8_t HostPromoteRook = 5;

// Every report record opens with five host words; the adapter only passes on those at 8 and 16.
struct HostRecordHead {
    std::int32_t Word0;
    std::int32_t Word4;
    std::int32_t HostWord8;
    std::int32_t HostWord12;
    std::int32_t HostWord16;
};

struct MainlineRecord {
    HostRecordHead Head;
    std::int32_t Flags;                  // 20
    std::uint8_t Reserved24[66];
    std::int16_t MoveCount;              // 90
    HostMove Moves[31];                  // 92
    std::uint8_t Reserved216[4];
    std::uint32_t ElapsedSeconds;        // 220
    std::uint8_t Reserved224[2];
    std::int16_t Cleared226;             // 226
    std::uint8_t Reserved228[10088 - 228];
    std::int16_t ScoreValue;             // 10088
    std::int16_t ScoreKind;              // 10090: 1 engine units, 2 moves to mate
};

// Flags of a principal-variation report.
inline constexpr std::int32_t MainlineFlags = 0x10011;
inline constexpr std::int32_t MainlineFailHigh = 0x40;
inline constexpr std::int32_t MainlineFailLow = 0x80;
inline constexpr std::int16_t ScoreInUnits = 1;
inline constexpr std::int16_t ScoreMateInMoves = 2;

struct CurrentMoveRecord {
    HostRecordHead Head;
    std::int16_t Index;   // 20: the root move's 1-based index
    std::int16_t Count;   // 22: the number of root moves
    HostMove Move;        // 24
};

struct DepthRecord {
    HostRecordHead Head;
    std::int16_t Depth;   // 20
    std::int16_t Second;  // 22
};

struct NodesRecord {
    HostRecordHead Head;
    std::int32_t Values[3];  // 20, 24, 28: the node count, then two further numbers
};

struct SetupRecord {
    HostRecordHead Head;
    std::int32_t HashKb;  // 20: requested on entry to Eng1, granted on return
};

// Board bytes of a search request: 1-6 White pawn..king, 9-14 Black pawn..king, 0 empty.
inline constexpr std::uint8_t HostWhitePawn = 1;
inline constexpr std::uint8_t HostWhiteRook = 4;
inline constexpr std::uint8_t HostWhiteKing = 6;
inline constexpr std::uint8_t HostBlackPawn = 9;
inline constexpr std::uint8_t HostBlackRook = 12;
inline constexpr std::uint8_t HostBlackKing = 14;

// Castling bits of a search request.
inline constexpr std::uint8_t CastleWhiteShort = 1;
inline constexpr std::uint8_t CastleWhiteLong = 2;
inline constexpr std::uint8_t CastleBlackShort = 4;
inline constexpr std::uint8_t CastleBlackLong = 8;

// Limit modes of a search request; any other value searches until stopped.
inline constexpr std::int16_t LimitDepth = 1;
inline constexpr std::int16_t LimitBlitz = 2;
inline constexpr std::int16_t LimitTimeControl = 3;

inline constexpr int MaxGameMoves = 512;

struct SearchRequest {
    std::int32_t HostWords[7];
    std::uint8_t Board[64];              // 28: a1, b1, ..., h1, a2, ..., h8
    std::uint8_t StartPosition;          // 92
    std::uint8_t WhiteToMove;            // 93
    std::uint8_t EnPassant;              // 94: target square in board order, 0 none
    std::uint8_t Castling;               // 95
    std::uint16_t GameMoves[MaxGameMoves];  // 96
    std::int16_t GameMoveCount;          // 1120
    std::int16_t LimitMode;              // 1122
    std::int32_t Seconds;                // 1124: blitz base time or time-control time
    std::int32_t IncrementSeconds;       // 1128
    std::int32_t UsedSecond;             // 1132
    std::int16_t TimeControlMoves;       // 1136
    std::int16_t UsedFirst;              // 1138
    std::int16_t Depth;                  // 1140
    std::int16_t Ponder;                 // 1142
};

// Option types of the host.
inline constexpr std::int32_t OptionCheck = 1;
inline constexpr std::int32_t OptionSpin = 2;
inline constexpr std::int32_t OptionCombo = 5;
inline constexpr std::int32_t OptionString = 6;

// The roles of an option's four value words.
enum OptionValue { DefaultValue = 0, CurrentValue = 1, MinimumValue = 2, MaximumValue = 3 };

// One option as the host sees it. For check and spin the four value words hold the numbers; for combo
// and string they point to four heap copies of one data block of DataSize bytes.
struct OptionRecord {
    std::int32_t RecordSize;
    std::int32_t Flags;
    std::int32_t Type;
    std::int32_t NameLength;
    char* Name;
    std::int32_t DataSize;
    std::intptr_t Values[4];
};

struct OptionDescriptor {
    std::int32_t RecordSize;
    std::int32_t Zero;
    std::int32_t HostWords[3];  // copied from MainlineRecord offsets 8, 12, 16
    std::int32_t OptionCount;
    OptionRecord* Options;
};

inline constexpr int MaxOptions = 127;
inline constexpr int StringBlockSize = 128;

static_assert(offsetof(HostRecordHead, HostWord8) == 8 && offsetof(HostRecordHead, HostWord16) == 16);
static_assert(offsetof(MainlineRecord, Flags) == 20);
static_assert(offsetof(MainlineRecord, MoveCount) == 90);
static_assert(offsetof(MainlineRecord, Moves) == 92 && sizeof(HostMove) == 4);
static_assert(offsetof(MainlineRecord, ElapsedSeconds) == 220);
static_assert(offsetof(MainlineRecord, Cleared226) == 226);
static_assert(offsetof(MainlineRecord, ScoreValue) == 10088);
static_assert(offsetof(MainlineRecord, ScoreKind) == 10090);
static_assert(offsetof(CurrentMoveRecord, Index) == 20 && offsetof(CurrentMoveRecord, Count) == 22);
static_assert(offsetof(CurrentMoveRecord, Move) == 24);
static_assert(offsetof(DepthRecord, Depth) == 20 && offsetof(DepthRecord, Second) == 22);
static_assert(offsetof(NodesRecord, Values) == 20);
static_assert(offsetof(SetupRecord, HashKb) == 20);
static_assert(offsetof(SearchRequest, Board) == 28);
static_assert(offsetof(SearchRequest, StartPosition) == 92);
static_assert(offsetof(SearchRequest, WhiteToMove) == 93);
static_assert(offsetof(SearchRequest, EnPassant) == 94);
static_assert(offsetof(SearchRequest, Castling) == 95);
static_assert(offsetof(SearchRequest, GameMoves) == 96);
static_assert(offsetof(SearchRequest, GameMoveCount) == 1120);
static_assert(offsetof(SearchRequest, LimitMode) == 1122);
static_assert(offsetof(SearchRequest, Seconds) == 1124);
static_assert(offsetof(SearchRequest, IncrementSeconds) == 1128);
static_assert(offsetof(SearchRequest, UsedSecond) == 1132);
static_assert(offsetof(SearchRequest, TimeControlMoves) == 1136);
static_assert(offsetof(SearchRequest, UsedFirst) == 1138);
static_assert(offsetof(SearchRequest, Depth) == 1140);
static_assert(offsetof(SearchRequest, Ponder) == 1142);
static_assert(sizeof(SearchRequest) == 1144);
static_assert(sizeof(MainlineRecord) == 10092 && sizeof(CurrentMoveRecord) == 28);
static_assert(sizeof(DepthRecord) == 24 && sizeof(NodesRecord) == 32 && sizeof(SetupRecord) == 24);

static_assert(offsetof(OptionRecord, Flags) < offsetof(OptionRecord, Type));
static_assert(offsetof(OptionRecord, Type) < offsetof(OptionRecord, NameLength));
static_assert(offsetof(OptionRecord, NameLength) < offsetof(OptionRecord, Name));
static_assert(offsetof(OptionRecord, Name) < offsetof(OptionRecord, DataSize));
static_assert(offsetof(OptionRecord, DataSize) < offsetof(OptionRecord, Values));
static_assert(sizeof(std::intptr_t) == sizeof(void*));
static_assert(offsetof(OptionDescriptor, OptionCount) < offsetof(OptionDescriptor, Options));
static_assert(offsetof(ReportCallbacks, ShowNodes) < offsetof(ReportCallbacks, ShowText));

// On the host's own platform the pointer-holding records are exactly as wide as it expects.
static_assert(sizeof(void*) != 4 || sizeof(OptionRecord) == 40);
static_assert(sizeof(void*) != 4 || offsetof(OptionRecord, Values) == 24);
static_assert(sizeof(void*) != 4 || sizeof(OptionDescriptor) == 28);
static_assert(sizeof(void*) != 4 || sizeof(ReportCallbacks) == 24);

}  // namespace zarn::adapter
