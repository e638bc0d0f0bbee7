// Converting a host search request into FEN text and game move text.
#include "adapter/request_text.h"

#include <cstring>

namespace zarn::adapter {
namespace {

constexpr const char* PieceLetters = "XPNBRQKYxpnbrqky";

constexpr int SquareIndex(int file, int rank) { return rank * 8 + file; }

// Clears castling rights whose king or rook is not on its starting square.
std::uint8_t ConsistentCastling(const SearchRequest& request) {
    std::uint8_t rights = request.Castling;
    const std::uint8_t* board = request.Board;
    if (board[SquareIndex(4, 0)] != HostWhiteKing) {
        rights &= static_cast<std::uint8_t>(~(CastleWhiteShort | CastleWhiteLong));
    } else {
        if (board[SquareIndex(0, 0)] != HostWhiteRook) rights &= static_cast<std::uint8_t>(~CastleWhiteLong);
        if (board[SquareIndex(7, 0)] != HostWhiteRook) rights &= static_cast<std::uint8_t>(~CastleWhiteShort);
    }
    if (board[SquareIndex(4, 7)] != HostBlackKing) {
        rights &= static_cast<std::uint8_t>(~(CastleBlackShort | CastleBlackLong));
    } else {
        if (board[SquareIndex(0, 7)] != HostBlackRook) rights &= static_cast<std::uint8_t>(~CastleBlackLong);
        if (board[SquareIndex(7, 7)] != HostBlackRook) rights &= static_cast<std::uint8_t>(~CastleBlackShort);
    }
    return rights;
}

// Keeps the en-passant square only when the pawn that has just moved stands behind it and a pawn of
// the side to move stands beside that pawn, ready to take.
std::uint8_t ConsistentEnPassant(const SearchRequest& request) {
    const int target = request.EnPassant;
    if (target == 0 || target > 63) return 0;
    const bool whiteToMove = request.WhiteToMove != 0;
    const int moved = whiteToMove ? target - 8 : target + 8;
    if (moved < 0 || moved > 63) return 0;
    const std::uint8_t movedPawn = whiteToMove ? HostBlackPawn : HostWhitePawn;
    const std::uint8_t takingPawn = whiteToMove ? HostWhitePawn : HostBlackPawn;
    if (request.Board[moved] != movedPawn) return 0;
    const int file = moved % 8;
    const bool left = file > 0 && request.Board[moved - 1] == takingPawn;
    const bool right = file < 7 && request.Board[moved + 1] == takingPawn;
    return left || right ? static_cast<std::uint8_t>(target) : 0;
}

}  // namespace

void BuildFen(SearchRequest& request, char (&fen)[FenTextSize]) {
    char* out = fen;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const std::uint8_t piece = request.Board[SquareIndex(file, rank)];
            if (piece == 0) {
                ++empty;
                continue;
            }
            if (empty > 0) *out++ = static_cast<char>('0' + empty);
            empty = 0;
            *out++ = PieceLetters[piece & 15];
        }
        if (empty > 0) *out++ = static_cast<char>('0' + empty);
        if (rank > 0) *out++ = '/';
    }
    *out++ = ' ';
    *out++ = request.WhiteToMove != 0 ? 'w' : 'b';

    request.Castling = ConsistentCastling(request);
    *out++ = ' ';
    if (request.Castling & CastleWhiteShort) *out++ = 'K';
    if (request.Castling & CastleWhiteLong) *out++ = 'Q';
    if (request.Castling & CastleBlackShort) *out++ = 'k';
    if (request.Castling & CastleBlackLong) *out++ = 'q';
    if ((request.Castling & 15) == 0) *out++ = '-';

    request.EnPassant = ConsistentEnPassant(request);
    *out++ = ' ';
    if (request.EnPassant != 0) {
        *out++ = static_cast<char>('a' + request.EnPassant % 8);
        *out++ = static_cast<char>('1' + request.EnPassant / 8);
    } else {
        *out++ = '-';
    }
    std::memcpy(out, " 0 0", 5);
}

int GameMoveText(std::uint16_t word, char* text) {
    text[0] = static_cast<char>('a' + (word & 7));
    text[1] = static_cast<char>('1' + ((word >> 3) & 7));
    text[2] = static_cast<char>('a' + ((word >> 6) & 7));
    text[3] = static_cast<char>('1' + ((word >> 9) & 7));
    int length = 4;
    if ((word & 0xF000) != 0) {
        switch ((word >> 12) & 7) {
            case 4: text[length++] = 'Q'; break;
            case 5: text[length++] = 'R'; break;
            case 6: text[length++] = 'B'; break;
            case 7: text[length++] = 'N'; break;
            default: break;
        }
    }
    text[length] = '\0';
    return length;
}

bool BuildGameText(const SearchRequest& request, char (&text)[GameTextSize]) {
    int count = request.GameMoveCount;
    if (count > MaxGameMoves) count = MaxGameMoves;
    std::size_t length = 0;
    text[0] = '\0';
    for (int i = 0; i < count && length < 4088; ++i) {
        const std::uint16_t word = request.GameMoves[i];
        if (word == 0) return false;
        if (length > 0) text[length++] = ' ';
        length += static_cast<std::size_t>(GameMoveText(word, text + length));
    }
    return true;
}

}  // namespace zarn::adapter
