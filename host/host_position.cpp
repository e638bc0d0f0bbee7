// FEN text and coordinate moves in the host's request layout.
#include "host/host_position.h"

#include <algorithm>
#include <cstring>

namespace zarn::host {
namespace {

constexpr std::string_view PieceLetters = "PNBRQKpnbrqk";

std::uint8_t HostPiece(char letter) {
    const std::size_t at = PieceLetters.find(letter);
    if (at == std::string_view::npos) return 0;
    return static_cast<std::uint8_t>(at < 6 ? at + 1 : at - 6 + 9);
}

std::string_view NextField(std::string_view& text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        text = {};
        return {};
    }
    text.remove_prefix(start);
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view field = text.substr(0, end);
    text.remove_prefix(end);
    return field;
}

bool IsSquare(std::string_view s) { return s.size() >= 2 && s[0] >= 'a' && s[0] <= 'h' && s[1] >= '1' && s[1] <= '8'; }

}  // namespace

bool RequestFromFen(std::string_view fen, adapter::SearchRequest& request) {
    std::memset(request.Board, 0, sizeof request.Board);
    request.StartPosition = 0;
    const std::string_view placement = NextField(fen);
    int rank = 7;
    int file = 0;
    for (char c : placement) {
        if (c == '/') {
            if (file != 8 || rank == 0) return false;
            --rank;
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > 8) return false;
        } else {
            const std::uint8_t piece = HostPiece(c);
            if (piece == 0 || file > 7) return false;
            request.Board[rank * 8 + file++] = piece;
        }
    }
    if (rank != 0 || file != 8) return false;

    const std::string_view side = NextField(fen);
    if (side != "w" && side != "b") return false;
    request.WhiteToMove = side == "w" ? 1 : 0;

    request.Castling = 0;
    for (char c : NextField(fen)) {
        if (c == 'K') request.Castling |= adapter::CastleWhiteShort;
        if (c == 'Q') request.Castling |= adapter::CastleWhiteLong;
        if (c == 'k') request.Castling |= adapter::CastleBlackShort;
        if (c == 'q') request.Castling |= adapter::CastleBlackLong;
    }

    const std::string_view ep = NextField(fen);
    request.EnPassant = IsSquare(ep) ? static_cast<std::uint8_t>((ep[1] - '1') * 8 + (ep[0] - 'a')) : 0;
    return true;
}

std::uint16_t GameMoveWord(std::string_view move) {
    if (move.size() < 4 || move.size() > 5 || !IsSquare(move) || !IsSquare(move.substr(2))) return 0;
    unsigned word = static_cast<unsigned>(move[0] - 'a') | static_cast<unsigned>(move[1] - '1') << 3 |
                    static_cast<unsigned>(move[2] - 'a') << 6 | static_cast<unsigned>(move[3] - '1') << 9;
    if (move.size() == 5) {
        switch (move[4]) {
            case 'q': case 'Q': word |= 4u << 12; break;
            case 'r': case 'R': word |= 5u << 12; break;
            case 'b': case 'B': word |= 6u << 12; break;
            case 'n': case 'N': word |= 7u << 12; break;
            default: return 0;
        }
    }
    return static_cast<std::uint16_t>(word);
}

bool AppendGameMoves(std::string_view moves, adapter::SearchRequest& request) {
    for (std::string_view move = NextField(moves); !move.empty(); move = NextField(moves)) {
        const std::uint16_t word = GameMoveWord(move);
        if (word == 0 || request.GameMoveCount >= adapter::MaxGameMoves) return false;
        request.GameMoves[request.GameMoveCount++] = word;
    }
    return true;
}

std::string HostMoveText(const adapter::HostMove& move) {
    std::string text;
    text += static_cast<char>('a' + move.From / 8);
    text += static_cast<char>('1' + move.From % 8);
    text += static_cast<char>('a' + move.To / 8);
    text += static_cast<char>('1' + move.To % 8);
    constexpr std::string_view promotions = "  qnbr";
    if (move.Promotion >= 2 && move.Promotion <= 5) text += promotions[move.Promotion];
    return text;
}

}  // namespace zarn::host
