// Building blocks shared by the move generators: colour geometry, the guarded move writer, and the
// loops that turn target sets into moves. Internal to engine/moves.
#pragma once

#include <cstdlib>

#include "engine/board/board.h"
#include "engine/board/tables.h"
#include "engine/moves/attacks.h"
#include "engine/moves/buffer.h"
#include "engine/moves/sliders.h"
#include "engine/moves/uint64.h"
#include "engine/search/stack.h"

namespace zarn::movegen {

inline constexpr Bitboard FileABits = 0x0101010101010101ULL;
inline constexpr Bitboard FileHBits = 0x8080808080808080ULL;
constexpr Bitboard RankBits(int rank) { return 0xFFULL << (8 * rank); }

// Pawn geometry of one colour. Captures "towards the a-file" and "towards the h-file" are named by
// the file they lean to, whichever way the pawn moves.
template <int Side>
struct Pawns {
    static constexpr int Them = 1 - Side;
    static constexpr int Up = Side == White ? 8 : -8;
    static constexpr int TowardA = Side == White ? 7 : -9;
    static constexpr int TowardH = Side == White ? 9 : -7;
    static constexpr Bitboard StartRank = RankBits(Side == White ? 1 : 6);
    static constexpr Bitboard DoubleStepRank = RankBits(Side == White ? 2 : 5);  // after one step
    static constexpr Bitboard LastRank = RankBits(Side == White ? 7 : 0);
    static constexpr Bitboard SeventhRank = RankBits(Side == White ? 6 : 1);
    static constexpr Bitboard EpRank = RankBits(Side == White ? 5 : 2);
};

template <int Delta>
constexpr Bitboard Shift(Bitboard b) {
    if constexpr (Delta > 0) return b << Delta;
    else return b >> -Delta;
}

// Appends moves to the buffer from a start index; never writes past the buffer's end.
struct MoveWriter {
    int end;
    void Add(Move move) {
        if (static_cast<unsigned>(end) < static_cast<unsigned>(MoveBufferSize)) MoveBuffer[end++] = move;
    }
};

constexpr Move MoveBase(int from, int kind) { return static_cast<Move>(from + 4096 * kind); }
constexpr Move ToBits(int to) { return static_cast<Move>(64 * to); }
constexpr Move CapturedBits(int kind) { return static_cast<Move>(32768 * kind); }
constexpr Move PromotionBits(int kind) { return static_cast<Move>(262144 * kind); }

// Kind of the piece on a square, whatever its colour (0 for empty).
inline int KindOn(int square) { return std::abs(Board[square]); }

// Attacks of a piece kind from a square on the current occupancy.
template <int Kind>
inline Bitboard PieceAttacks(int square) {
    if constexpr (Kind == Knight) return KnightAttacks[square];
    else if constexpr (Kind == Bishop) return BishopAttacksOf(square);
    else if constexpr (Kind == Rook) return RookAttacksOf(square);
    else if constexpr (Kind == Queen) return QueenAttacksOf(square);
    else return KingAttacks[square];
}

// Captures onto the targets, the captured kind read from the mailbox.
inline void AddCaptures(MoveWriter& out, Move base, Bitboard targets) {
    while (targets) {
        const int to = PopFirstBit(targets);
        out.Add(base | ToBits(to) | CapturedBits(KindOn(to)));
    }
}

inline void AddQuiets(MoveWriter& out, Move base, Bitboard targets) {
    while (targets) out.Add(base | ToBits(PopFirstBit(targets)));
}

// Moves of every piece of one kind onto the squares of a mask (captures: the kind read from the
// mailbox; the mask decides which moves they are).
template <int Kind, bool Capture>
inline void AddPieceMoves(MoveWriter& out, Bitboard pieces, Bitboard mask) {
    while (pieces) {
        const int from = PopFirstBit(pieces);
        const Bitboard targets = PieceAttacks<Kind>(from) & mask;
        if constexpr (Capture) AddCaptures(out, MoveBase(from, Kind), targets);
        else AddQuiets(out, MoveBase(from, Kind), targets);
    }
}

// Captures of every piece of one kind. A slider looks up its attacks only along the lines on which an
// enemy piece stands at all.
template <int Kind>
inline void AddPieceCaptures(MoveWriter& out, Bitboard pieces, Bitboard enemy) {
    while (pieces) {
        const int from = PopFirstBit(pieces);
        Bitboard targets;
        if constexpr (Kind == Bishop) {
            if (!(DiagonalLines[from] & enemy)) continue;
            targets = BishopAttacksOf(from);
        } else if constexpr (Kind == Rook) {
            if (!(StraightLines[from] & enemy)) continue;
            targets = RookAttacksOf(from);
        } else if constexpr (Kind == Queen) {
            targets = 0;
            if (DiagonalLines[from] & enemy) targets |= BishopAttacksOf(from);
            if (StraightLines[from] & enemy) targets |= RookAttacksOf(from);
        } else {
            targets = PieceAttacks<Kind>(from);
        }
        AddCaptures(out, MoveBase(from, Kind), targets & enemy);
    }
}

// One pawn move to each given promotion kind, in the order given.
template <int... Kinds>
inline void AddPromotions(MoveWriter& out, int from, int to, int captured) {
    const Move base = MoveBase(from, Pawn) | ToBits(to) | CapturedBits(captured);
    (out.Add(base | PromotionBits(Kinds)), ...);
}

// Pawn captures along one diagonal onto the targets; onto the last rank a capture promoting to a
// queen, onto an empty square (en passant) a capture of a pawn.
template <int Side, int Delta, bool QueenOnly>
inline void AddPawnCaptures(MoveWriter& out, Bitboard targets) {
    using P = Pawns<Side>;
    while (targets) {
        const int to = PopFirstBit(targets);
        const int from = to - Delta;
        const int captured = KindOn(to);
        if (SetMask[to] & P::LastRank) {
            if constexpr (QueenOnly) AddPromotions<Queen>(out, from, to, captured);
            else AddPromotions<Queen, Rook, Bishop, Knight>(out, from, to, captured);
        } else {
            out.Add(MoveBase(from, Pawn) | ToBits(to) | CapturedBits(captured ? captured : Pawn));
        }
    }
}

// Pawn moves onto empty targets that come from Delta squares behind.
template <int Delta>
inline void AddPawnSteps(MoveWriter& out, Bitboard targets) {
    while (targets) {
        const int to = PopFirstBit(targets);
        out.Add(MoveBase(to - Delta, Pawn) | ToBits(to));
    }
}

// The square on which a pawn of Side may capture en passant at this ply, as a set: empty unless the
// square lies on the proper rank, is empty and has an enemy pawn just behind it. A square set up by
// hand that fails this is no en-passant square.
template <int Side>
inline Bitboard EpTargetOf(int ply) {
    using P = Pawns<Side>;
    const int ep = EpSquareAt(ply);
    if (ep <= 0 || ep > 63 || !(SetMask[ep] & P::EpRank)) return 0;
    if (Board[ep] != 0 || Board[ep - P::Up] != PieceCode(P::Them, Pawn)) return 0;
    return SetMask[ep];
}

// Whether the side may castle on one wing now: the counters of the king's and the rook's home
// squares are 0, the pieces stand there, the squares between are empty and the king's square, the
// square it crosses and its target are not attacked.
template <int Side, bool KingSide>
inline bool CanCastle() {
    constexpr int Them = 1 - Side;
    constexpr int KingHome = Side == White ? E1 : E8;
    constexpr int RookHome = KingSide ? KingHome + 3 : KingHome - 4;
    constexpr int Step = KingSide ? 1 : -1;
    if (MoveCount[KingHome] != 0 || MoveCount[RookHome] != 0) return false;
    if (Board[KingHome] != PieceCode(Side, King) || Board[RookHome] != PieceCode(Side, Rook)) return false;
    if (Board[KingHome + Step] != 0 || Board[KingHome + 2 * Step] != 0) return false;
    if (!KingSide && Board[KingHome - 3] != 0) return false;
    return !AttackedBy<Them>(KingHome) && !AttackedBy<Them>(KingHome + Step) &&
           !AttackedBy<Them>(KingHome + 2 * Step);
}

template <int Side>
inline void AddCastling(MoveWriter& out) {
    constexpr int KingHome = Side == White ? E1 : E8;
    if (MoveCount[KingHome] != 0) return;
    if (CanCastle<Side, true>()) out.Add(MoveBase(KingHome, King) | ToBits(KingHome + 2));
    if (CanCastle<Side, false>()) out.Add(MoveBase(KingHome, King) | ToBits(KingHome - 2));
}

}  // namespace zarn::movegen
