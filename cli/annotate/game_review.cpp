// One game reviewed: every main-line position searched by a freshly started engine, the results written
// into the game as evaluations, judgement marks and better lines, and the chart drawn.
#include "cli/annotate/game_review.h"

#include <vector>

#include "cli/annotate/eval_graph.h"
#include "cli/pgn/game_position.h"
#include "cli/pgn/reader.h"
#include "cli/pgn/replay.h"
#include "cli/pgn/writer.h"
#include "cli/uci/engine.h"
#include "engine/interface/zarn.h"

namespace zarn::cli {
namespace {

// Removes [%eval ...] from a comment, for a game annotated before; true when something is left.
bool WithoutOldEvaluation(std::string& comment) {
    for (std::size_t at; (at = comment.find("[%eval")) != std::string::npos;) {
        const std::size_t close = comment.find(']', at);
        comment.erase(at, close == std::string::npos ? std::string::npos : close - at + 1);
    }
    return comment.find_first_not_of(" \t\r\n") != std::string::npos;
}

std::string MoveLabel(const PgnGame& game, std::size_t ply, const std::string& san) {
    const int afterStart = static_cast<int>(ply) + (game.firstSide == Black ? 1 : 0);
    const int number = game.firstMoveNumber + afterStart / 2;
    return std::to_string(number) + (afterStart % 2 == 0 ? ". " : "... ") + san;
}

std::string Tag(const PgnGame& game, const char* name) {
    const std::string value = TagValue(game, name);
    return value.empty() ? "?" : value;
}

// Searches every main-line position and writes the results into the game; returns the chart's points.
std::vector<GraphPoint> AnnotateGame(PgnGame& game, const AnalysisLimit& limit, const std::function<void()>& onPosition) {
    const std::vector<Move> moves = MainLineMoves(game);
    std::vector<PositionVerdict> verdicts;
    for (std::size_t i = 0; i <= moves.size(); ++i) {
        verdicts.push_back(AnalysePosition(game, std::vector<Move>(moves.begin(), moves.begin() + static_cast<std::ptrdiff_t>(i)), limit));
        if (onPosition) onPosition();
    }

    std::vector<GraphPoint> points;
    points.push_back({WhitePawns(verdicts[0]), 0, "", EvalText(verdicts[0])});
    for (std::size_t i = 0; i < moves.size(); ++i) {
        PgnMove& move = game.mainLine.moves[i];
        std::vector<std::string> comments;
        for (std::string& comment : move.comments)
            if (WithoutOldEvaluation(comment)) comments.push_back(std::move(comment));
        // A null move gets neither an evaluation nor a mark; the position after it is judged as any.
        const bool pass = move.move == NullMove;
        const std::string eval = EvalText(verdicts[i + 1]);
        if (!eval.empty() && !pass) comments.insert(comments.begin(), "[%eval " + eval + "]");
        move.comments = std::move(comments);

        const int nag = pass ? 0 : NagForLoss(ExpectedLoss(verdicts[i], verdicts[i + 1], move.move));
        if (nag != 0 && JudgementNag(move.nags) == 0) {
            move.nags.push_back(nag);
            PgnLine better;
            for (const std::string& san : verdicts[i].sans) {
                PgnMove step;
                step.text = step.san = san;
                better.moves.push_back(std::move(step));
            }
            if (!better.moves.empty()) {
                better.moves.front().comments.push_back("[%eval " + EvalText(verdicts[i]) + "]");
                move.variations.push_back(std::move(better));
            }
        }
        // The chart shows the judgement the file gives, the player's own mark where there was one.
        points.push_back({WhitePawns(verdicts[i + 1]), JudgementNag(move.nags), MoveLabel(game, i, move.san),
                          eval.empty() ? "mate" : eval});
    }
    if (!moves.empty() && TagValue(game, "Annotator").empty()) game.tags.emplace_back("Annotator", ZarnGetVersion());
    return points;
}

}  // namespace

std::string LimitText(const AnalysisLimit& limit) {
    return limit.depth > 0 ? "depth " + std::to_string(limit.depth) : std::to_string(limit.moveTimeMs) + " ms a position";
}

std::uint64_t GameFingerprint(const PgnGame& game) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : WritePgn(game)) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

GameReview ReviewGame(const ReviewJob& job, const AnalysisLimit& limit, bool chart, const std::function<void()>& onPosition) {
    GameReview review;
    // Both hash tables, the history counters and the castling flags the evaluation reads, at least,
    // start afresh.
    if (StartEngine(ReviewHashMb) < 0) {
        review.engineFailed = true;
        review.error = "the engine could not allocate its tables";
        return review;
    }
    std::vector<PgnGame> games = ReadPgn(job.text);
    if (games.size() == 1 && games.front().error.empty()) ReplayGame(games.front());
    if (games.size() != 1 || !games.front().error.empty() || GameFingerprint(games.front()) != job.fingerprint) {
        review.error = "its text read on its own is not the game the file holds";
        return review;
    }
    PgnGame& game = games.front();
    review.positions = game.mainLine.moves.size() + 1;
    const std::vector<GraphPoint> points = AnnotateGame(game, limit, onPosition);
    review.pgn = WritePgn(game);
    if (chart && !game.mainLine.moves.empty()) {
        const std::string title = Tag(game, "White") + " - " + Tag(game, "Black") + "  " + game.result;
        const std::string subtitle =
            GraphSubtitle(game, std::string("analysed by ") + ZarnGetVersion() + " at " + LimitText(limit));
        review.chart = EvalGraphSvg(title, subtitle, points, game.firstMoveNumber, game.firstSide == White);
    }
    return review;
}

}  // namespace zarn::cli
