// Move text of any shape after a position: the engine replays what names a legal move, skips the
// rest, stops at its replay limit, and can search the position it reached.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/board/board.h"
#include "engine/interface/zarn.h"
#include "fuzz/check.h"
#include "fuzz/engine_fixture.h"
#include "fuzz/inputs.h"

namespace zarn::fuzz {
namespace {

// Enough rounds of a short text to pass the replay limit.
constexpr int RepeatedRounds = 256;

}  // namespace

int RunGameInput(const std::uint8_t* data, std::size_t size) {
    PrepareEngine();
    const char* begin = reinterpret_cast<const char*>(data);
    const char* end = begin + size;
    const bool repeated = begin != end && *begin == '#';
    if (repeated) ++begin;

    const char* lineBreak = std::find(begin, end, '\n');
    if (lineBreak == end) {
        ZarnSetStartPosition();
        lineBreak = begin - 1;
    } else {
        std::vector<char> fen(begin, lineBreak);
        fen.push_back('\0');
        ZarnSetPosition(fen.data());
    }
    const std::string moves(lineBreak + 1, end);

    for (int round = 0; round < (repeated ? RepeatedRounds : 1); ++round) {
        std::vector<char> text(moves.begin(), moves.end());
        text.push_back('\0');
        const int plyBefore = GamePly;
        ZarnSetGame(text.data());
        CheckPositionShape("ZarnSetGame");
        ZARN_FUZZ_CHECK(GamePly >= plyBefore && GamePly <= GameReplayLimit, "game ply %d", GamePly);
        ZARN_FUZZ_CHECK(LastIrreversiblePly >= 0 && LastIrreversiblePly <= GamePly, "last irreversible ply %d of %d",
                        LastIrreversiblePly, GamePly);
        CheckDerivedState("ZarnSetGame");
        if (GamePly == plyBefore) break;  // nothing more will be accepted
    }

    const std::vector<Move> legal = LegalMoves();
    const PositionFacts before = CurrentPosition();
    const int result = AnalyseWithin(1, AnalysisBudgetMs);
    ZARN_FUZZ_CHECK(result == (legal.empty() ? 1 : 0), "analysis result %d with %zu legal moves", result, legal.size());
    ZARN_FUZZ_CHECK(CurrentPosition() == before, "the analysis changed the position");
    return 0;
}

}  // namespace zarn::fuzz
