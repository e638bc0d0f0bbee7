// Knights, bishops, rooks and queens, and the king attack term they feed.
#include "engine/eval/pieces.h"

#include <array>
#include <cstdint>

#include "engine/board/board.h"
#include "engine/board/tables.h"
#include "engine/eval/constants.h"
#include "engine/eval/pawns.h"
#include "engine/eval/relative.h"
#include "engine/eval/score.h"
#include "engine/eval/tables.h"
#include "engine/moves/sliders.h"
#include "engine/moves/uint64.h"
#include "engine/search/phase.h"

namespace zarn {

using namespace relative;

namespace {

template <int Us>
std::int32_t& AttackPoints() {
    return Us == White ? WhiteAttackPoints : BlackAttackPoints;
}

template <int Us>
std::int32_t KingDanger() {
    return Us == White ? WhiteKingDanger : BlackKingDanger;
}

template <int Us>
std::uint8_t PassedFiles(const PawnHashEntry& entry) {
    return Us == White ? entry.WhitePassedFiles : entry.BlackPassedFiles;
}

// The files a piece on `square` reaches along its rank, as a file set.
inline unsigned RankReachFiles(int square) {
    return static_cast<unsigned>((RankAttacksOf(square) >> (8 * RankOf(square))) & 255);
}

// Attack points of a rook or queen: the better of the file-distance and the king-distance value, by
// [file distance, 7 when an own pawn blocks][king distance].
using PointsByDistances = std::array<std::array<std::int8_t, 8>, 8>;
constexpr PointsByDistances BetterOf(const std::int32_t (&byFile)[8], const std::int32_t (&byDistance)[8]) {
    PointsByDistances t{};
    for (int f = 0; f < 8; ++f)
        for (int d = 0; d < 8; ++d) t[f][d] = static_cast<std::int8_t>(byFile[f] > byDistance[d] ? byFile[f] : byDistance[d]);
    return t;
}
inline constexpr PointsByDistances RookPoints = BetterOf(RookFilePoints, RookAttackPoints);
inline constexpr PointsByDistances QueenPoints = BetterOf(QueenFilePoints, QueenAttackPoints);

inline Bitboard SquaresOfColour(int square) { return DarkSquare[square] ? DarkSquares : LightSquares; }

// The rank just before promotion as seen by Us, and the enemy's back rank.
template <int Us>
inline constexpr int SeventhRank = Us == White ? 6 : 1;
template <int Us>
inline constexpr int EighthRank = Us == White ? 7 : 0;

// Whether a piece of Us on its seventh rank finds the enemy king on the back rank or enemy pawns there.
template <int Us>
bool SeventhRankMatters(int square) {
    return RankOf(square) == SeventhRank<Us> && (RankOf(Sides[Them<Us>].KingSquare) == EighthRank<Us> ||
                                                 (Sides[Them<Us>].Pawns & RankMask[SeventhRank<Us>]));
}

template <int Us>
bool InFrontOfD6OrE6(int square) {
    return (square == relative::Square<Us>(D6) || square == relative::Square<Us>(E6)) &&
           Board[square + Forward<Us>] == Enemy<Us>(Pawn);
}

template <int Us>
[[gnu::always_inline]] inline int KnightTermOf() {
    const SideRecord& own = Sides[Us];
    const SideRecord& enemy = Sides[Them<Us>];
    const int enemyKing = enemy.KingSquare;
    // Distances are symmetric: the enemy king's rows give each piece's distance to it.
    const std::uint8_t* const kingDistance = Distance[enemyKing];
    int v = 0;
    int points = 0;
    for (Bitboard knights = own.Knights; knights;) {
        const int q = PopFirstBit(knights);
        v += SideTables[Us][KnightTable][q];
        // An outpost no enemy pawn can ever attack.
        const int outpost = SideTables[Us][KnightOutpostTable][q];
        if (outpost > 0 && !(enemy.Pawns & AdjacentFilesAhead<Us>(q))) {
            v += outpost;
            const Bitboard defenders = own.Pawns & PawnsDefending<Us>(q);
            if (defenders) {
                const bool noChallenger = !enemy.Knights && !(enemy.Bishops & SquaresOfColour(q));
                v += (noChallenger || PopCount(defenders) == 2) ? outpost : outpost / 2;
            }
            if (InFrontOfD6OrE6<Us>(q)) v += 12;
        }
        points += KnightAttackPoints[kingDistance[q]];
    }
    AttackPoints<Us>() += points;
    return v;
}

template <int Us>
[[gnu::always_inline]] inline int BishopTermOf(bool endgame) {
    const SideRecord& own = Sides[Us];
    const SideRecord& enemy = Sides[Them<Us>];
    const int enemyKing = enemy.KingSquare;
    // Distances are symmetric: the enemy king's rows give each piece's distance to it.
    const std::uint8_t* const kingDistance = Distance[enemyKing];
    int v = 0;
    int points = 0;
    for (Bitboard bishops = own.Bishops; bishops;) {
        const int q = PopFirstBit(bishops);
        const unsigned reach = DiagA1H8Mobility[q][(OccupiedA1H8 >> DiagA1H8Shift[q]) & 255] +
                               DiagA8H1Mobility[q][(OccupiedA8H1 >> DiagA8H1Shift[q]) & 255];
        v += SideTables[Us][BishopTable][q] + BishopMobility[reach];
        // The rare square test first: the outcome does not depend on the order.
        if (InFrontOfD6OrE6<Us>(q) && SideTables[Us][KnightOutpostTable][q] > 0 &&
            !(enemy.Pawns & AdjacentFilesAhead<Us>(q)))
            v += 12;
        points += BishopAttackPoints[kingDistance[q]];
    }
    AttackPoints<Us>() += points;
    if (!own.Bishops) return v;

    const PawnHashEntry& entry = *CurrentPawnEntry;
    if (!(own.Bishops & (own.Bishops - 1))) {
        // A lone bishop is hampered by its own pawns on its colour.
        const bool light = own.Bishops & LightSquares;
        const int blockers = Us == White ? (light ? entry.WhitePawnsOnLight : entry.WhitePawnsOnDark)
                                         : (light ? entry.BlackPawnsOnLight : entry.BlackPawnsOnDark);
        v -= 4 * blockers;
    } else {
        v += BishopPairBonus[own.PawnCount < 8 ? own.PawnCount : 8];
    }

    // A bishop that took a rook pawn and is shut in by a pawn.
    if (own.Bishops & (Us == White ? RookPawnsRank7 : RookPawnsRank2)) {
        if (own.Bishops & SetMask[relative::Square<Us>(A7)]) {
            if (Board[relative::Square<Us>(B6)] == Enemy<Us>(Pawn)) v -= 175;
        } else if (own.Bishops & SetMask[relative::Square<Us>(H7)]) {
            if (Board[relative::Square<Us>(G6)] == Enemy<Us>(Pawn)) v -= 175;
        }
    }

    // Fianchetto in front of the castled king.
    if (!endgame) {
        const int king = own.KingSquare;
        const int kingFile = FileOf(king);
        const auto fianchetto = [&](int home, int advanced, Bitboard corner) {
            return Board[home] != Own<Us>(Pawn) && Board[advanced] == Own<Us>(Pawn) && Distance[king][home] == 1 &&
                   (own.Bishops & corner);
        };
        if (kingFile >= 5) {
            if (fianchetto(relative::Square<Us>(G2), relative::Square<Us>(G3), Us == White ? CornerH1 : CornerH8))
                v += 10;
        } else if (kingFile <= 2) {
            if (fianchetto(relative::Square<Us>(B2), relative::Square<Us>(B3), Us == White ? CornerA1 : CornerA8))
                v += 10;
        }
    }
    return v;
}

template <int Us>
[[gnu::always_inline]] inline int RookTermOf() {
    const SideRecord& own = Sides[Us];
    const SideRecord& enemy = Sides[Them<Us>];
    const int enemyKing = enemy.KingSquare;
    // Distances are symmetric: the enemy king's rows give each piece's distance to it.
    const std::uint8_t* const kingDistance = Distance[enemyKing];
    const std::uint8_t* const kingFileDistance = FileDistance[enemyKing];
    const PawnHashEntry& entry = *CurrentPawnEntry;
    const std::uint8_t ownPassed = PassedFiles<Us>(entry);
    const std::uint8_t enemyPassed = PassedFiles<Them<Us>>(entry);
    const unsigned openFiles = entry.OpenFiles;
    int v = 0;
    int points = 0;
    for (Bitboard rooks = own.Rooks; rooks;) {
        const int q = PopFirstBit(rooks);
        const int file = FileOf(q);
        v += SideTables[Us][RookTable][q];

        // Rooks belong behind passed pawns, their own and the enemy's.
        if (ownPassed & (1u << file)) {
            const Bitboard onFile = own.Pawns & FileMask[file];
            if (onFile) {
                const int p = MostAdvanced<Us>(onFile);
                const bool inFront = Us == White ? q > p : q < p;
                if (inFront) {
                    v -= 20;
                } else {
                    const int front = p + Forward<Us>;
                    if (OnBoard(front) && !(enemy.Occupied & SetMask[front])) v += 40;
                }
            }
        }
        if (enemyPassed & (1u << file)) {
            const Bitboard onFile = enemy.Pawns & FileMask[file];
            if (onFile) {
                const int p = MostAdvanced<Them<Us>>(onFile);
                const bool behind = Us == White ? q > p : q < p;
                v += behind ? 40 : -20;
            }
        }

        // Open and half-open files; d is the file distance to the enemy king, 7 when an own pawn blocks.
        int d;
        if ((own.Pawns | enemy.Pawns) & FileMask[file]) {
            if (openFiles && !(RankReachFiles(q) & openFiles)) v -= 12;
            if (own.Pawns & FileMask[file]) {
                d = (own.Pawns & Ahead<Us>(q)) ? 7 : kingFileDistance[q];
            } else {
                v += 5;
                d = kingFileDistance[q];
            }
        } else {
            v += 24;
            d = kingFileDistance[q];
        }

        if (SeventhRankMatters<Us>(q)) {
            v += 30;
            if (RankAttacksOf(q) & (own.Rooks | own.Queens)) v += 16;
        }

        points += RookPoints[d][kingDistance[q]];
    }
    AttackPoints<Us>() += points;
    return v;
}

template <int Us>
[[gnu::always_inline]] inline int QueenTermOf() {
    const SideRecord& own = Sides[Us];
    const SideRecord& enemy = Sides[Them<Us>];
    const int enemyKing = enemy.KingSquare;
    // Distances are symmetric: the enemy king's rows give each piece's distance to it.
    const std::uint8_t* const kingDistance = Distance[enemyKing];
    const std::uint8_t* const kingFileDistance = FileDistance[enemyKing];
    // The side's running total: the clamps below bound what the earlier terms gathered as well.
    std::int32_t points = AttackPoints<Us>();
    // The queen is worth more while the enemy king is the more exposed one.
    const bool moreExposed = KingDanger<Us>() + 4 < KingDanger<Them<Us>>();
    int v = 0;
    for (Bitboard queens = own.Queens; queens;) {
        const int q = PopFirstBit(queens);
        v += SideTables[Us][QueenTable][q];
        if (SeventhRankMatters<Us>(q) && (RankAttacksOf(q) & own.Rooks)) v += 10;
        if (moreExposed) v += 30;

        const int d = (own.Pawns & Ahead<Us>(q)) ? 7 : kingFileDistance[q];
        points += QueenPoints[d][kingDistance[q]];

        // A queen on the far wing from the enemy king, with many pawns still on the board.
        if (own.PawnCount > 4) {
            const int queenFile = FileOf(q);
            const int kingFile = FileOf(enemyKing);
            if (queenFile <= 1 && kingFile >= 5) {
                points -= 8;
                if (points < -8) points = -8;
            }
            if (queenFile >= 6 && kingFile <= 2) {
                points -= 8;
                if (points < -8) points = -8;
            }
        }
    }
    AttackPoints<Us>() = points;
    return v;
}

inline int OffensiveIndex(int points) {
    const int index = points + 8;
    return index < 0 ? 0 : index >= OffensiveTableSize ? OffensiveTableSize - 1 : index;
}

}  // namespace

template <int Us>
int KnightTerm() {
    return KnightTermOf<Us>();
}

template <int Us>
int BishopTerm(bool endgame) {
    return BishopTermOf<Us>(endgame);
}

template <int Us>
int RookTerm() {
    return RookTermOf<Us>();
}

template <int Us>
int QueenTerm() {
    return QueenTermOf<Us>();
}

int KingAttackWhite() {
    return AttackWeight[BlackKingDanger] * WhiteOffensive[OffensiveIndex(WhiteAttackPoints)] / 16;
}

int KingAttackBlack() {
    return AttackWeight[WhiteKingDanger] * BlackOffensive[OffensiveIndex(BlackAttackPoints)] / 16;
}

namespace {

[[gnu::always_inline]] inline PieceTermParts PieceTermsOf(bool endgame) {
    PieceTermParts parts;
    parts.knights = {KnightTermOf<White>(), KnightTermOf<Black>()};
    parts.bishops = {BishopTermOf<White>(endgame), BishopTermOf<Black>(endgame)};
    parts.rooks = {RookTermOf<White>(), RookTermOf<Black>()};
    parts.queens = {QueenTermOf<White>(), QueenTermOf<Black>()};
    parts.attack = {KingAttackWhite(), KingAttackBlack()};
    return parts;
}

}  // namespace

PieceTermParts PieceTerms(bool endgame) { return PieceTermsOf(endgame); }

int PieceTermsNet(bool endgame) { return PieceTermsOf(endgame).Net(); }

template int KnightTerm<White>();
template int KnightTerm<Black>();
template int BishopTerm<White>(bool);
template int BishopTerm<Black>(bool);
template int RookTerm<White>();
template int RookTerm<Black>();
template int QueenTerm<White>();
template int QueenTerm<Black>();

}  // namespace zarn
