// An optional record of the evaluation's terms, filled only by the traced evaluation, so that a
// breakdown can be printed which adds up to the value returned.
#pragma once

#include <array>

namespace zarn {

// One term split into each side's own share: positive is good for that side, and the term adds
// white - black to White's score.
struct SideParts {
    int white = 0;
    int black = 0;
    constexpr int Net() const { return white - black; }
};

struct EvalTraceTerm {
    const char* name = "";
    int white = 0;
    int black = 0;
    int total = 0;      // what the term added to the score, White's point of view
    bool split = false;  // white and black are meaningful
};

struct EvalTrace {
    std::array<EvalTraceTerm, 32> terms{};
    int count = 0;
    int mask = 3;                  // winnable sides: 1 White can win, 2 Black can win
    bool endgame = false;          // king safety skipped, endgame king tables used
    const char* exit = nullptr;    // why the evaluation stopped early, if it did
    int whiteKingDanger = 0;
    int blackKingDanger = 0;
    int whiteAttackPoints = 0;
    int blackAttackPoints = 0;
    int value = 0;

    void Add(const char* name, SideParts parts) {
        if (count < static_cast<int>(terms.size()))
            terms[count++] = EvalTraceTerm{name, parts.white, parts.black, parts.Net(), true};
    }
    void AddTotal(const char* name, int total) {
        if (count < static_cast<int>(terms.size())) terms[count++] = EvalTraceTerm{name, 0, 0, total, false};
    }
    int Sum() const {
        int sum = 0;
        for (int i = 0; i < count; ++i) sum += terms[i].total;
        return sum;
    }
};

}  // namespace zarn
