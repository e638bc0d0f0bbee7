// FEN text and coordinate moves in the host's request layout.
#include "host/host_position.h"

#include <cstring>
#include <vector>

#include "cli/text/words.h"
#include "cli/uci/position.h"
#include "engine/board/board.h"
#include "engine/board/scratch_position.h"

namespace zarn::host {
namespace {

// The host's piece codes: 1 to 6 for White's pawn to king, 9 to 14 for Black's.
std::uint8_t HostPiece(int piece) {
    if (piece == Empty) return 0;
    return static_cast<std::uint8_t>(piece > 0 ? piece : 8 - piece);
}

bool IsSquare(std::string_view s) { return s.size() >= 2 && s[0] >= 'a' && s[0] <= 'h' && s[1] >= '1' && s[1] <= '8'; }

}  // namespace

bool RequestFromFen(std::string_view fen, adapter::SearchRequest& request) {
    std::memset(request.Board, 0, sizeof request.Board);
    request.StartPosition = 0;
    const std::vector<std::string_view> fields = cli::SplitWords(fen);
    const auto field = [&](std::size_t index) { return index < fields.size() ? fields[index] : std::string_view(); };
    if (!cli::PlacementError(field(0)).empty()) return false;
    const std::string_view side = field(1);
    if (side != "w" && side != "b") return false;
    {
        const ScratchPosition position(field(0));
        for (int square = 0; square < 64; ++square) request.Board[square] = HostPiece(Board[square]);
    }
    request.WhiteToMove = side == "w" ? 1 : 0;

    request.Castling = 0;
    for (char c : field(2)) {
        if (c == 'K') request.Castling |= adapter::CastleWhiteShort;
        if (c == 'Q') request.Castling |= adapter::CastleWhiteLong;
        if (c == 'k') request.Castling |= adapter::CastleBlackShort;
        if (c == 'q') request.Castling |= adapter::CastleBlackLong;
    }

    const std::string_view ep = field(3);
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
    for (const std::string_view move : cli::SplitWords(moves)) {
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
