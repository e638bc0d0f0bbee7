// FEN text of any shape: the engine sets up whatever it reads, generates its legal moves, makes and
// undoes each, and searches two plies (or until stopped), leaving the position as it found it.
#include <vector>

#include "engine/board/board.h"
#include "engine/interface/zarn.h"
#include "fuzz/check.h"
#include "fuzz/engine_fixture.h"
#include "fuzz/inputs.h"

namespace zarn::fuzz {

int RunFenInput(const std::uint8_t* data, std::size_t size) {
    PrepareEngine();
    std::vector<char> text = WritableText(data, size);
    ZarnSetPosition(text.data());
    CheckPositionShape("ZarnSetPosition");

    const std::vector<Move> legal = LegalMoves();
    CheckMakeUndo(legal);

    const PositionFacts before = CurrentPosition();
    const int result = AnalyseWithin(2, AnalysisBudgetMs);
    ZARN_FUZZ_CHECK(result == (legal.empty() ? 1 : 0), "analysis result %d with %zu legal moves", result, legal.size());
    ZARN_FUZZ_CHECK(CurrentPosition() == before, "the analysis changed the position");
    if (!legal.empty()) ZARN_FUZZ_CHECK(RootMoves() == legal, "root moves differ from the legal moves");
    return 0;
}

}  // namespace zarn::fuzz
