// King safety: each king's danger from its zone, its pawn shelter and the open centre files.
#include <array>
#include <cstdint>

#include "engine/board/board.h"
#include "engine/eval/pawns.h"
#include "engine/eval/relative.h"
#include "engine/eval/score.h"
#include "engine/eval/tables.h"
#include "engine/search/phase.h"

namespace zarn {

using namespace relative;

ZARN_PER_THREAD std::int32_t WhiteKingDanger = 0;
ZARN_PER_THREAD std::int32_t BlackKingDanger = 0;

namespace {

// 2, 4 and 2 for each of three neighbouring files (centre file `middle`) without any pawn.
constexpr int OpenCentreOf(unsigned openFiles, int middle) {
    return 2 * ((openFiles >> (middle - 1)) & 1) + 4 * ((openFiles >> middle) & 1) + 2 * ((openFiles >> (middle + 1)) & 1);
}

// The same by open-file set, for the centre files e (index 0) and d (index 1).
inline constexpr auto OpenCentreTable = [] {
    std::array<std::array<std::uint8_t, 256>, 2> t{};
    for (unsigned files = 0; files < 256; ++files) {
        t[0][files] = static_cast<std::uint8_t>(OpenCentreOf(files, 4));
        t[1][files] = static_cast<std::uint8_t>(OpenCentreOf(files, 3));
    }
    return t;
}();

inline int OpenCentre(std::uint8_t openFiles, int middle) { return OpenCentreTable[middle == 4 ? 0 : 1][openFiles]; }

template <int Us>
bool HoldsEnemyPawnBishopOrQueen(int square) {
    const int piece = Board[square];
    return piece == Enemy<Us>(Pawn) || piece == Enemy<Us>(Bishop) || piece == Enemy<Us>(Queen);
}

template <int Us>
int Danger(const PawnHashEntry& entry) {
    const SideRecord& own = Sides[Us];
    const bool enemyQueen = Sides[Them<Us>].Queens != 0;
    const int king = own.KingSquare;
    const int kingSideShelter = Us == White ? entry.WhiteKingSideShelter : entry.BlackKingSideShelter;
    const int queenSideShelter = Us == White ? entry.WhiteQueenSideShelter : entry.BlackQueenSideShelter;
    const int kingHome = relative::Square<Us>(E1);
    const int queenRook = relative::Square<Us>(A1);
    const int kingRook = relative::Square<Us>(H1);

    int danger = SideTables[Us][KingZoneBase][king];
    if (MoveCount[kingHome] == 0 && (MoveCount[queenRook] == 0 || MoveCount[kingRook] == 0)) {
        // Still able to castle: the centre files matter, and the wing it can still go to.
        danger += OpenCentre(entry.OpenFiles, 4);
        if (MoveCount[queenRook] != 0 && MoveCount[kingRook] == 0)
            danger += kingSideShelter / 2;
        else if (MoveCount[kingRook] != 0 && MoveCount[queenRook] == 0)
            danger += queenSideShelter / 2;
    } else if (FileOf(king) <= 3) {
        danger += queenSideShelter;
        if (FileOf(king) == 3) danger += OpenCentre(entry.OpenFiles, 3);
        if (Board[relative::Square<Us>(B2)] != Own<Us>(Pawn) && enemyQueen &&
            HoldsEnemyPawnBishopOrQueen<Us>(relative::Square<Us>(C3)))
            danger += 3;
    } else {
        danger += kingSideShelter;
        if (FileOf(king) == 4) danger += OpenCentre(entry.OpenFiles, 4);
        if (Board[relative::Square<Us>(G2)] != Own<Us>(Pawn) && enemyQueen &&
            HoldsEnemyPawnBishopOrQueen<Us>(relative::Square<Us>(F3)))
            danger += 3;
    }
    if (!enemyQueen) danger /= 2;
    return danger < SafetyTableSize ? danger : SafetyTableSize - 1;
}

}  // namespace

int KingSafety() {
    const PawnHashEntry& entry = *CurrentPawnEntry;
    WhiteKingDanger = Danger<White>(entry);
    BlackKingDanger = Danger<Black>(entry);
    return BlackSafety[BlackKingDanger] - WhiteSafety[WhiteKingDanger];
}

}  // namespace zarn
