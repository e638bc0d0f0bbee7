// FEN set-up: a lenient reader that skips what it does not understand and validates nothing.
#include "engine/board/fen.h"

#include "engine/board/board.h"
#include "engine/board/piece_values.h"
#include "engine/board/tables.h"
#include "engine/search/history.h"
#include "engine/search/phase.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"

namespace zarn {
namespace {

bool IsSeparator(char c) { return c == ',' || c == ';' || c == '=' || c == '+' || c == '/' || c == ' '; }

bool Holds(int square, int piece) { return Board[square] == piece; }

// The castling counters of king and rook drop to 0 only when both stand on their home squares.
void GrantCastling(int kingSquare, int rookSquare, int colour) {
    const int sign = colour == White ? 1 : -1;
    if (Holds(kingSquare, sign * King) && Holds(rookSquare, sign * Rook)) {
        MoveCount[kingSquare] = 0;
        MoveCount[rookSquare] = 0;
    }
}

int PieceOfLetter(char c) {
    switch (c) {
        case 'P': return Pawn;
        case 'N': return Knight;
        case 'B': return Bishop;
        case 'R': return Rook;
        case 'Q': return Queen;
        case 'K': return King;
        case 'p': return -Pawn;
        case 'n': return -Knight;
        case 'b': return -Bishop;
        case 'r': return -Rook;
        case 'q': return -Queen;
        case 'k': return -King;
        default: return Empty;
    }
}

}  // namespace

int SplitFields(char* text, FieldBuffer& buffer) {
    buffer.Count = 0;
    if (!text) return 0;
    char* cursor = text;
    while (buffer.Count < MaxFields) {
        while (*cursor && IsSeparator(*cursor)) ++cursor;
        if (!*cursor) break;
        char* start = cursor;
        while (*cursor && !IsSeparator(*cursor)) ++cursor;
        const bool more = *cursor != '\0';
        if (more) *cursor++ = '\0';
        // A field longer than its slot is cut to 31 characters.
        char* slot = buffer.Fields[buffer.Count++];
        int length = 0;
        while (start[length] && length < FieldSize - 1) {
            slot[length] = start[length];
            ++length;
        }
        slot[length] = '\0';
        if (!more) break;
    }
    return buffer.Count;
}

void SetupPosition(const FieldBuffer& buffer) {
    StopFlag.store(0, std::memory_order_relaxed);
    GamePly = 0;
    GamePhase = OpeningPhase;
    LastIrreversiblePly = 0;
    for (int i = 0; i < GameHistorySize; ++i) {
        GamePawnKeys[i] = 0;
        GamePieceKeys[i] = 0;
    }
    SideToMove = ParseFen(buffer);
}

int ParseFen(const FieldBuffer& buffer) {
    for (int s = 0; s < 64; ++s) {
        Board[s] = Empty;
        MoveCount[s] = 1;
    }

    // The cursor is never re-aligned to a rank: a rank field of more or fewer than eight squares
    // shifts every later rank. Pieces that would fall off the board are dropped.
    int cursor = A8;
    for (int field = 0; field < 8; ++field) {
        for (const char* c = buffer.Field(field); *c; ++c) {
            if (*c >= '1' && *c <= '8') {
                cursor += *c - '0';
            } else if (const int piece = PieceOfLetter(*c); piece != Empty) {
                if (cursor >= 0 && cursor < 64) Board[cursor] = piece;
                ++cursor;
            }
        }
        cursor -= 16;
    }

    const char* side = buffer.Field(8);
    const int toMove = side[0] == 'w' && side[1] == '\0' ? White : Black;

    for (const char* c = buffer.Field(9); *c; ++c) {
        switch (*c) {
            case 'K': GrantCastling(E1, H1, White); break;
            case 'Q': GrantCastling(E1, A1, White); break;
            case 'k': GrantCastling(E8, H8, Black); break;
            case 'q': GrantCastling(E8, A8, Black); break;
            default: break;
        }
    }

    SearchStack[0].EpSquareAfter = ParseSquare(buffer.Field(10));
    RebuildDerivedState();
    return toMove;
}

int ParseSquare(const char* text) {
    if (!text) return 0;
    if (text[0] < 'a' || text[0] > 'h') return 0;
    if (text[1] < '1' || text[1] > '8') return 0;
    return 8 * (text[1] - '1') + (text[0] - 'a');
}

void RebuildDerivedState() {
    for (SideRecord& side : Sides) {
        side.Pawns = side.Knights = side.Bishops = side.Rooks = side.Queens = side.Occupied = 0;
        side.MinorCount = side.MajorCount = side.PieceMaterial = side.PawnCount = side.Material = 0;
        side.KingSquare = 0;
    }
    AgeHistory();

    Bitboard rot90 = 0, a1h8 = 0, a8h1 = 0;
    Key pawnKey = 0, pieceKey = 0;
    for (int s = 0; s < 64; ++s) {
        const int piece = Board[s];
        if (piece == Empty) continue;
        const int colour = piece > 0 ? White : Black;
        const int kind = piece > 0 ? piece : -piece;
        if (kind > King) continue;
        SideRecord& side = Sides[colour];
        rot90 |= SetMaskRot90[s];
        a1h8 |= SetMaskA1H8[s];
        a8h1 |= SetMaskA8H1[s];
        side.Occupied |= SetMask[s];
        CountPiece<+1>(side, kind);
        switch (kind) {
            case Pawn: side.Pawns |= SetMask[s]; break;
            case Knight: side.Knights |= SetMask[s]; break;
            case Bishop: side.Bishops |= SetMask[s]; break;
            case Rook: side.Rooks |= SetMask[s]; break;
            case Queen: side.Queens |= SetMask[s]; break;
            case King: side.KingSquare = s; break;
        }
        if (kind == Pawn)
            pawnKey ^= PieceSquareKey(colour, Pawn, s);
        else
            pieceKey ^= PieceSquareKey(colour, kind, s);
    }

    OccupiedRot90 = rot90;
    OccupiedA1H8 = a1h8;
    OccupiedA8H1 = a8h1;
    SearchStack[1].PawnKey = pawnKey;
    SearchStack[1].PieceKey = pieceKey;
    if (GamePly >= 0 && GamePly + 1 < GameHistorySize) {
        GamePawnKeys[GamePly + 1] = pawnKey;
        GamePieceKeys[GamePly + 1] = pieceKey;
    }
}

}  // namespace zarn
