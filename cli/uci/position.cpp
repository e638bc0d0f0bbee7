// FEN checking, move replay with legality feedback, and the fallback move.
#include "cli/uci/position.h"

#include "cli/text/words.h"
#include "cli/uci/report.h"
#include "engine/board/board.h"
#include "engine/board/scratch_position.h"
#include "engine/board/tables.h"
#include "engine/board/types.h"
#include "engine/interface/zarn.h"
#include "engine/moves/attacks.h"
#include "engine/moves/buffer.h"
#include "engine/moves/moves.h"
#include "engine/search/stack.h"

namespace zarn::cli {
namespace {

bool IsPieceLetter(char c) { return std::string_view("pnbrqkPNBRQK").find(c) != std::string_view::npos; }

// The side records of the position set up: a pawn on the first or last rank, the number of kings,
// pawns and pieces of each side, White first.
std::string CheckMaterial() {
    static constexpr const char* sideNames[2] = {"Black", "White"};
    for (int side : {White, Black}) {
        const SideRecord& pieces = Sides[side];
        const std::string name = sideNames[side];
        if (pieces.Pawns & (RankMask[0] | RankMask[7])) return name + " has a pawn on the first or last rank";
        const Bitboard kings =
            pieces.Occupied & ~(pieces.Pawns | pieces.Knights | pieces.Bishops | pieces.Rooks | pieces.Queens);
        if (PopCount(kings) != 1) return name + " must have exactly one king";
        if (pieces.PawnCount > 8) return name + " has more than eight pawns";
        if (PopCount(pieces.Occupied) > 16) return name + " has more than sixteen pieces";
    }
    return "";
}

bool IsDigits(std::string_view text) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::string PlacementError(std::string_view field) {
    int rank = 7;
    int file = 0;
    for (char c : field) {
        if (c == '/') {
            if (file != 8) return "rank " + std::to_string(rank + 1) + " does not cover eight squares";
            if (--rank < 0) return "more than eight ranks";
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > 8) return "rank " + std::to_string(rank + 1) + " covers more than eight squares";
        } else if (IsPieceLetter(c)) {
            if (file >= 8) return "rank " + std::to_string(rank + 1) + " covers more than eight squares";
            ++file;
        } else {
            return std::string("unexpected character '") + c + "' in the placement";
        }
    }
    if (rank != 0) return "fewer than eight ranks";
    if (file != 8) return "rank 1 does not cover eight squares";
    return "";
}

FenCheck CheckFen(std::string_view text) {
    FenCheck check;
    const std::vector<std::string_view> fields = SplitWords(text);
    if (fields.size() < 2) {
        check.error = "a FEN needs at least the placement and the side to move";
        return check;
    }
    if (fields.size() > 6) {
        check.error = "a FEN has at most six fields";
        return check;
    }
    if (std::string error = PlacementError(fields[0]); !error.empty()) {
        check.error = error;
        return check;
    }
    // The engine's reader sets the placement up; the checks read its side records and ask its attack
    // queries, and the engine's own position comes back at the end.
    const ScratchPosition position(fields[0]);
    if (std::string error = CheckMaterial(); !error.empty()) {
        check.error = error;
        return check;
    }
    if (fields[1] != "w" && fields[1] != "b") {
        check.error = "the side to move must be w or b";
        return check;
    }
    const int side = fields[1] == "w" ? White : Black;
    if (InCheck(1 - side)) {
        check.error = "the side not to move is in check";
        return check;
    }

    // Castling: each right needs its king and rook at home.
    std::string castling;
    const std::string_view castlingField = fields.size() > 2 ? fields[2] : "-";
    if (castlingField != "-") {
        for (char c : castlingField) {
            const bool known = c == 'K' || c == 'Q' || c == 'k' || c == 'q';
            if (!known || castling.find(c) != std::string::npos ||
                castlingField.find(c) != castlingField.rfind(c)) {
                check.error = "the castling field must be - or a selection of KQkq";
                return check;
            }
            const bool white = c == 'K' || c == 'Q';
            const int kingHome = white ? E1 : E8;
            const int rookHome = c == 'K' ? H1 : c == 'Q' ? A1 : c == 'k' ? H8 : A8;
            const int colour = white ? White : Black;
            if (Board[kingHome] == PieceCode(colour, King) && Board[rookHome] == PieceCode(colour, Rook))
                castling += c;
            else
                check.notes.push_back(std::string("castling right ") + c + " dropped: king or rook not at home");
        }
    }
    if (castling.empty()) castling = "-";

    // En passant: the square a pawn of the side not to move has just passed over.
    std::string enPassant = "-";
    const std::string_view enPassantField = fields.size() > 3 ? fields[3] : "-";
    if (enPassantField != "-") {
        if (enPassantField.size() != 2 || enPassantField[0] < 'a' || enPassantField[0] > 'h' ||
            enPassantField[1] < '1' || enPassantField[1] > '8') {
            check.error = "the en-passant field must be - or a square";
            return check;
        }
        const int square = MakeSquare(enPassantField[0] - 'a', enPassantField[1] - '1');
        const int forward = side == White ? 8 : -8;  // towards the side not to move
        const bool possible = RankOf(square) == (side == White ? 5 : 2) && Board[square] == Empty &&
                              Board[square + forward] == Empty && Board[square - forward] == PieceCode(1 - side, Pawn);
        if (possible)
            enPassant = std::string(enPassantField);
        else
            check.notes.push_back("en-passant square " + std::string(enPassantField) +
                                  " dropped: no pawn can have passed over it");
    }

    for (std::size_t i = 4; i < fields.size(); ++i) {
        if (!IsDigits(fields[i])) {
            check.error = "the move counters must be numbers";
            return check;
        }
    }
    check.fen = std::string(fields[0]) + ' ' + std::string(fields[1]) + ' ' + castling + ' ' + enPassant;
    return check;
}

bool IsMoveText(std::string_view text) {
    if (text.size() != 4 && text.size() != 5) return false;
    auto isFile = [](char c) { return c >= 'a' && c <= 'h'; };
    auto isRank = [](char c) { return c >= '1' && c <= '8'; };
    if (!isFile(text[0]) || !isRank(text[1]) || !isFile(text[2]) || !isRank(text[3])) return false;
    if (text.size() == 5 && text[4] != 'q' && text[4] != 'r' && text[4] != 'b' && text[4] != 'n') return false;
    return true;
}

std::string ApplyPosition(const PositionRecord& record) {
    if (record.startPosition) {
        ZarnSetStartPosition();
    } else {
        std::vector<char> text(record.fen.begin(), record.fen.end());
        text.push_back('\0');
        ZarnSetPosition(text.data());
    }
    for (const std::string& move : record.moves) {
        if (!IsMoveText(move)) return "bad move text " + move;
        if (GamePly >= GameReplayLimit) return "too many moves to replay at " + move;
        const int before = GamePly;
        std::vector<char> text(move.begin(), move.end());
        text.push_back('\0');
        ZarnSetGame(text.data());
        if (GamePly == before) return "illegal move " + move;
    }
    return "";
}

int EngineSideToMove() { return SideToMove; }

std::string FallbackMove() {
    // The root search keeps its best move first among the root moves.
    const Move searched = MoveBuffer[MoveStart(1)];
    if (GenerateLegalMoves(SideToMove) <= 0) return "0000";
    Move chosen = MoveBuffer[MoveStart(1)];
    for (int i = MoveStart(1); i < SearchStack[1].MoveEnd; ++i)
        if (MoveBuffer[i] == searched) chosen = searched;
    return CoordinateMove(chosen);
}

}  // namespace zarn::cli
