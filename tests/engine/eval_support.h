// Shared set-up for the evaluation tests: positions from FEN text, prepared as an analysis prepares them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/board/tables.h"
#include "engine/eval/pawns.h"
#include "engine/eval/score.h"
#include "engine/interface/options.h"
#include "engine/search/phase.h"
#include "engine/search/stack.h"

namespace zarn::testing {

class EvalTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitialiseEngine();
        ASSERT_TRUE(AllocatePawnHash());
    }
    static void TearDownTestSuite() { FreePawnHash(); }

    void SetUp() override { RestoreOptionDefaults(); }

    // Sets the position (a new game) and prepares it like an analysis: draw values, phase, king tables.
    static int Set(const std::string& text) {
        std::string copy = text;
        static FieldBuffer fields;
        SplitFields(copy.data(), fields);
        SetupPosition(fields);
        ResetSearchStack();
        RebuildDerivedState();
        Prepare();
        return SideToMove;
    }

    static void Prepare() {
        SetDrawValues(SideToMove);
        PrepareRoot(SideToMove);
    }

    // The value an analysis's static evaluation gives at the root, White's point of view.
    static int Eval(int alpha = -30000, int beta = 30000) { return Evaluate(SideToMove, alpha, beta, 1); }

    static int Traced(EvalTrace& trace) { return EvaluateTraced(SideToMove, -30000, 30000, 1, trace); }

    static const EvalTraceTerm* Term(const EvalTrace& trace, const std::string& name) {
        for (int i = 0; i < trace.count; ++i)
            if (name == trace.terms[i].name) return &trace.terms[i];
        return nullptr;
    }
};

}  // namespace zarn::testing
