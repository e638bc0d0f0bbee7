// Game replay: tags to a start position, then every line matched move by move.
#include "cli/pgn/replay.h"

#include <cctype>
#include <sstream>
#include <string>

#include "cli/pgn/game_position.h"
#include "cli/pgn/san.h"
#include "cli/uci/position.h"

namespace zarn::cli {
namespace {

struct ReplayFailure {
    std::string reason;
    int line = 0;
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void ReadStart(PgnGame& game) {
    const std::string variant = Lower(TagValue(game, "Variant"));
    if (!variant.empty() && variant != "standard" && variant != "chess" && variant != "normal")
        throw ReplayFailure{"variant '" + TagValue(game, "Variant") + "' is not supported", game.firstLine};
    const std::string fen = TagValue(game, "FEN");
    game.startFen.clear();
    game.firstMoveNumber = 1;
    game.firstSide = White;
    if (fen.empty()) return;
    const FenCheck check = CheckFen(fen);
    if (!check.error.empty()) throw ReplayFailure{"FEN tag: " + check.error, game.firstLine};
    game.startFen = check.fen;
    std::istringstream fields(fen);
    std::string placement, side, castling, enPassant, halfMoves, fullMove;
    fields >> placement >> side >> castling >> enPassant >> halfMoves >> fullMove;
    game.firstSide = side == "b" ? Black : White;
    if (!fullMove.empty() && fullMove.size() < 6 && fullMove.find_first_not_of("0123456789") == std::string::npos &&
        std::stoi(fullMove) > 0)
        game.firstMoveNumber = std::stoi(fullMove);
}

void ReplayLine(PgnGame& game, PgnLine& line, std::vector<Move> path) {
    if (!SetPositionAfter(game, path)) throw ReplayFailure{"the game is longer than the engine can hold", game.firstLine};
    const std::size_t base = path.size();
    for (PgnMove& move : line.moves) {
        if (IsNullMoveText(move.text)) {
            // Passing is legal only for a side that is not in check.
            if (SideToMoveInCheck())
                throw ReplayFailure{"illegal null move " + move.text + ": " +
                                        (GameSideToMove() == White ? "White" : "Black") + " is in check",
                                    move.sourceLine};
            move.move = NullMove;
            move.san = NullMoveText;
        } else {
            const SanReading reading = ReadSan(move.text);
            if (reading.move == 0) throw ReplayFailure{reading.error, move.sourceLine};
            move.move = reading.move;
            move.san = WriteSan(reading.move);
        }
        if (!PlayGameMove(move.move))
            throw ReplayFailure{"the game is longer than the engine can hold", move.sourceLine};
        path.push_back(move.move);
    }
    for (std::size_t i = 0; i < line.moves.size(); ++i) {
        for (PgnLine& variation : line.moves[i].variations)
            ReplayLine(game, variation, std::vector<Move>(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(base + i)));
    }
}

}  // namespace

bool SetPositionAfter(const PgnGame& game, const std::vector<Move>& moves) {
    SetGameStart(game.startFen);
    for (Move move : moves)
        if (!PlayGameMove(move)) return false;
    return true;
}

std::vector<Move> MainLineMoves(const PgnGame& game) {
    std::vector<Move> moves;
    for (const PgnMove& move : game.mainLine.moves) moves.push_back(move.move);
    return moves;
}

bool ReplayGame(PgnGame& game) {
    try {
        ReadStart(game);
        ReplayLine(game, game.mainLine, {});
    } catch (const ReplayFailure& failure) {
        game.error = failure.reason;
        game.errorLine = failure.line;
        return false;
    }
    return true;
}

}  // namespace zarn::cli
