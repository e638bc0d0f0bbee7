// Material balance, the recogniser of positions a side cannot win, pawnless endings and the
// opening development term.
#include "engine/board/board.h"
#include "engine/board/tables.h"
#include "engine/eval/balance.h"
#include "engine/eval/constants.h"
#include "engine/eval/development.h"
#include "engine/eval/score.h"
#include "engine/interface/options.h"
#include "engine/moves/uint64.h"

namespace zarn {

int MaterialImbalance() { return TradeImbalance(); }

int MaterialBalance() { return InlineMaterialBalance(); }

namespace {

// The rook-pawn rule: a side whose pawns all stand on one rook file, with at most a minor piece
// that cannot cover the promotion corner, cannot win when the defending king reaches the corner.
// Us is the side with the pawns; tempo counts for White when White is to move.
template <int Us>
bool RookPawnsCannotWin(int side) {
    const SideRecord& own = Sides[Us];
    const SideRecord& enemy = Sides[1 - Us];
    if (!own.Pawns || (own.Pawns & InnerFiles) || own.PieceMaterial >= 4) return false;
    const bool aFile = own.Pawns & FileMask[0];
    const bool hFile = own.Pawns & FileMask[7];
    if (aFile && hFile) return false;
    if (own.Knights) return false;
    if (own.Bishops) {
        const bool onLight = own.Bishops & LightSquares;
        // a8 and h1 are light, a1 and h8 dark.
        const bool coversCorner = Us == White ? (onLight == aFile) : (onLight == hFile);
        if (coversCorner) return false;
    }
    const int corner = Us == White ? (aFile ? A8 : H8) : (aFile ? A1 : H1);
    const Bitboard onFile = own.Pawns & FileMask[aFile ? 0 : 7];
    const int pawn = Us == White ? LastBit(onFile) : FirstBit(onFile);
    const int defender = Distance[enemy.KingSquare][corner];
    const int attacker = Distance[own.KingSquare][corner];
    const int race = Distance[pawn][corner];
    if (Us == White) {
        if (defender > 1 && (defender >= attacker - side || defender > race - side)) return false;
    } else {
        if (defender > 1 && (defender >= attacker + side || defender > race + side)) return false;
    }
    return true;
}

}  // namespace

int WinnableSides(int side) {
    const SideRecord& w = Sides[White];
    const SideRecord& b = Sides[Black];
    int m = WhiteCanWin | BlackCanWin;

    // Bishop and knight, or two bishops, with pawns: no restriction.
    if (w.PieceMaterial == 6 && w.Bishops && w.PawnCount > 0) return m;
    if (b.PieceMaterial == 6 && b.Bishops && b.PawnCount > 0) return m;
    if (w.PieceMaterial == 0 && b.PieceMaterial == 0 && ((w.Pawns | b.Pawns) & InnerFiles)) return m;

    if (b.PieceMaterial == 0) {
        if (b.PawnCount == 0) m = WhiteCanWin;
        if (b.PawnCount == 1 && w.PieceMaterial > 0) m &= WhiteCanWin;
    }
    if (w.PieceMaterial == 0) {
        if (w.PawnCount == 0) m &= BlackCanWin;
        if (w.PawnCount == 1 && b.PieceMaterial > 0) m &= BlackCanWin;
    }

    if (RookPawnsCannotWin<White>(side)) m &= BlackCanWin;
    if (RookPawnsCannotWin<Black>(side)) m &= WhiteCanWin;

    if (w.Pawns && b.Pawns) return m;

    // Two minor pieces against one without pawns: only two bishops against a knight keep chances.
    if (!w.Pawns && w.PieceMaterial == 6 && b.PieceMaterial == 3) {
        if (w.Knights) m &= BlackCanWin;
        if (!b.Knights) m &= BlackCanWin;
    } else if (!b.Pawns && b.PieceMaterial == 6 && w.PieceMaterial == 3) {
        if (b.Knights) m &= WhiteCanWin;
        if (!w.Knights) m &= WhiteCanWin;
    }
    // Rook and minor against rook.
    if (!w.Pawns && w.PieceMaterial == 8 && b.PieceMaterial == 5) m &= BlackCanWin;
    if (!b.Pawns && b.PieceMaterial == 8 && w.PieceMaterial == 5) m &= WhiteCanWin;
    // A minor piece up without pawns is not enough.
    if (!w.Pawns && w.PieceMaterial < 7 && w.PieceMaterial - b.PieceMaterial == 3) m &= BlackCanWin;
    if (!b.Pawns && b.PieceMaterial < 7 && b.PieceMaterial - w.PieceMaterial == 3) m &= WhiteCanWin;

    if (w.Pawns || b.Pawns) return m;

    // Rook against a minor piece.
    if ((w.PieceMaterial == 5 && b.PieceMaterial == 3) || (w.PieceMaterial == 3 && b.PieceMaterial == 5)) m = 0;
    return m;
}

int PawnlessEndgame() {
    const SideRecord& w = Sides[White];
    const SideRecord& b = Sides[Black];
    // Bishop and knight mate in the corner of the bishop's colour.
    if (b.PieceMaterial == 0 && w.PieceMaterial == 6 && w.Bishops && w.Knights) {
        const int bishop = FirstBit(w.Bishops);
        return DarkSquare[bishop] ? DarkCornerTable[b.KingSquare] : LightCornerTable[b.KingSquare];
    }
    if (w.PieceMaterial == 0 && b.PieceMaterial == 6 && b.Bishops && b.Knights) {
        const int bishop = FirstBit(b.Bishops);
        return -(DarkSquare[bishop] ? DarkCornerTable[w.KingSquare] : LightCornerTable[w.KingSquare]);
    }
    const int kings = Distance[w.KingSquare][b.KingSquare];
    if (w.Material > b.Material) return MopUpTable[b.KingSquare] - (kings - 3) * 15;
    if (b.Material > w.Material) return -MopUpTable[w.KingSquare] + (kings - 3) * 15;
    return 0;
}

SideParts DevelopmentParts() { return InlineDevelopmentParts(); }

int Development() { return DevelopmentParts().Net(); }

}  // namespace zarn
