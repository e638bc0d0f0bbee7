// Game annotation: PGN read as people write it, moves in standard notation both ways, the export form
// read back, and the zarn annotate command run on a file with good and bad games.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/pgn/game_position.h"
#include "cli/pgn/reader.h"
#include "cli/pgn/replay.h"
#include "cli/pgn/writer.h"
#include "cli/pgn/san.h"
#include "cli/uci/engine.h"
#include "engine/board/board.h"
#include "engine/interface/zarn.h"
#include "tests/cli/run_program.h"

namespace zarn::cli {
namespace {

// Every SAN form, comments, variations, NAGs, FEN starts; game 5 has an illegal move and game 7 an
// unknown character, game 8 has tags only.
constexpr const char* TrickyGames = R"PGN([Event "A \"quoted\" name \\ here"]
[White "Morphy"]
[Black "Duke; Count"]
[Result "1-0"]

{Opening comment} 1.e4 e5 2 Nf3 d6 3. Bc4 Bg4 ; a pin
4. Nc3 (4. c3 Qf6 (4... Nf6) 5. d4) 4... g6?! 5. Nxe5! Bxd1?? $18 6. Bxf7+ Ke7 7. Nd5# 1-0

[Event "Castling both ways, written with zeros"]
[SetUp "1"]
[FEN "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"]

1. 0-0 O-O-O+ 2. Kg2 *

[Event "Disambiguation by square and by rank"]
[FEN "8/8/1k6/8/4Q2Q/8/8/K6Q w - - 0 20"]

20. Qh4e1 Kb5 21. Qe1-e2+ *

[Event "Promotions and en passant"]
[FEN "8/4P1k1/8/8/3p4/8/1p2P1K1/8 w - - 0 1"]

1. e8Q b1=N 2. e4 dxe3 3. Kf3 e2? 4. Kxe2 *

[Event "Bad: an illegal move"]

1. e4 e5 2. Ke3 Nc6 *

[Event "Coordinates and a piece letter for the pawn"]

1. e2e4 e7e5 2. g1f3 Pd6 3. Bf1-c4 Nb8:c6 *

[Event "Bad: an unknown character"]

1. d4 d5 2. c4 & e6 *

[Event "Tags only"]
[Result "1/2-1/2"]

[Event "After the tag-only game"]

1. d4 Nf6 2. c4 e6 3. Nc3 Bb4 4. Qc2 O-O 5. a3 Bxc3+ 6. Qxc3 b6 7. Bg5 Bb7 8. f3 h6 9. Bh4 d5 10. e3 Nbd7 0-1
)PGN";

struct Session : ::testing::Test {
    static void SetUpTestSuite() { ASSERT_GE(StartEngine(1), 0); }
    static void TearDownTestSuite() { StopEngine(); }
};

std::vector<std::string> Sans(const PgnLine& line) {
    std::vector<std::string> sans;
    for (const PgnMove& move : line.moves) sans.push_back(move.san);
    return sans;
}

using Sequence = std::vector<std::string>;

// A reproducible stream of random numbers (xorshift).
auto RandomNumbers(std::uint64_t seed) {
    return [seed]() mutable {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
}

// What makes a text ill-formed XML, as far as the charts use XML (a declaration, elements with quoted
// attributes, text with entity and character references, comments), or "" when it is well-formed.
std::string XmlFault(std::string_view xml) {
    std::size_t at = 0;
    const auto peek = [&] { return at < xml.size() ? xml[at] : '\0'; };
    const auto nameStart = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':'; };
    const auto nameChar = [&](char c) { return nameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.'; };
    const auto name = [&] {
        const std::size_t from = at;
        if (nameStart(peek()))
            while (nameChar(peek())) ++at;
        return xml.substr(from, at - from);
    };
    const auto blanks = [&] {
        while (peek() == ' ' || peek() == '\t' || peek() == '\r' || peek() == '\n') ++at;
    };
    // Text and attribute values: no '<', and every '&' starts a reference.
    const auto characters = [](std::string_view text) -> std::string {
        if (text.find('<') != std::string_view::npos) return "a '<' in text or a value";
        for (std::size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', amp + 1)) {
            const std::string_view rest = text.substr(amp + 1, text.find(';', amp) - amp - 1);
            const bool named = rest == "amp" || rest == "lt" || rest == "gt" || rest == "quot" || rest == "apos";
            const bool decimal = rest.size() > 1 && rest[0] == '#' &&
                                 rest.find_first_not_of("0123456789", 1) == std::string_view::npos;
            const bool hex = rest.size() > 2 && rest.starts_with("#x") &&
                             rest.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string_view::npos;
            if (text.find(';', amp) == std::string_view::npos || !(named || decimal || hex)) return "a bare '&'";
        }
        return "";
    };
    if (xml.starts_with("<?xml")) {
        at = xml.find("?>");
        if (at == std::string_view::npos) return "an unclosed declaration";
        at += 2;
    }
    std::vector<std::string_view> open;
    bool rooted = false;
    while (at < xml.size()) {
        if (peek() != '<') {
            const std::size_t end = std::min(xml.find('<', at), xml.size());
            const std::string_view text = xml.substr(at, end - at);
            if (open.empty() && text.find_first_not_of(" \t\r\n") != std::string_view::npos) return "text outside the root";
            if (std::string fault = characters(text); !fault.empty()) return fault;
            at = end;
        } else if (xml.substr(at).starts_with("<!--")) {
            at = xml.find("-->", at + 4);
            if (at == std::string_view::npos) return "an unclosed comment";
            at += 3;
        } else if (xml.substr(at).starts_with("</")) {
            at += 2;
            const std::string_view closed = name();
            if (open.empty() || open.back() != closed) return "</" + std::string(closed) + "> closes no open element";
            open.pop_back();
            blanks();
            if (peek() != '>') return "an unclosed end tag";
            ++at;
        } else {
            ++at;
            const std::string_view element = name();
            if (element.empty()) return "a '<' that starts no tag";
            if (open.empty() && rooted) return "a second root";
            rooted = true;
            std::vector<std::string_view> attributes;
            for (;;) {
                const std::size_t before = at;
                blanks();
                if (peek() == '>' || xml.substr(at).starts_with("/>")) {
                    if (peek() == '>') open.push_back(element);
                    at += peek() == '>' ? 1 : 2;
                    break;
                }
                const std::string_view attribute = name();
                if (attribute.empty() || at == before + attribute.size()) return "a bad attribute in <" + std::string(element) + ">";
                if (std::find(attributes.begin(), attributes.end(), attribute) != attributes.end()) return "a repeated attribute";
                attributes.push_back(attribute);
                blanks();
                if (peek() != '=') return "an attribute without a value";
                ++at;
                blanks();
                const char quote = peek();
                const std::size_t end = xml.find(quote, at + 1);
                if ((quote != '"' && quote != '\'') || end == std::string_view::npos) return "an unquoted value";
                if (std::string fault = characters(xml.substr(at + 1, end - at - 1)); !fault.empty()) return fault;
                at = end + 1;
            }
        }
    }
    if (!open.empty()) return "<" + std::string(open.back()) + "> not closed";
    return rooted ? "" : "no root element";
}

TEST_F(Session, ReadsEveryFormAndGoesOnAfterBadGames) {
    std::vector<PgnGame> games = ReadPgn(TrickyGames);
    ASSERT_EQ(games.size(), 9u);
    for (PgnGame& game : games)
        if (game.error.empty()) ReplayGame(game);

    const PgnGame& morphy = games[0];
    EXPECT_EQ(morphy.error, "");
    EXPECT_EQ(TagValue(morphy, "Event"), "A \"quoted\" name \\ here");
    EXPECT_EQ(morphy.result, "1-0");
    EXPECT_EQ(Sans(morphy.mainLine),
              (Sequence{"e4", "e5", "Nf3", "d6", "Bc4", "Bg4", "Nc3", "g6", "Nxe5", "Bxd1", "Bxf7+", "Ke7", "Nd5#"}));
    EXPECT_EQ(morphy.mainLine.comments, Sequence{"Opening comment"});
    EXPECT_EQ(morphy.mainLine.moves[5].comments, Sequence{" a pin"});
    ASSERT_EQ(morphy.mainLine.moves[6].variations.size(), 1u);
    const PgnLine& side = morphy.mainLine.moves[6].variations[0];
    EXPECT_EQ(Sans(side), (Sequence{"c3", "Qf6", "d4"}));
    ASSERT_EQ(side.moves[1].variations.size(), 1u);
    EXPECT_EQ(Sans(side.moves[1].variations[0]), Sequence{"Nf6"});
    EXPECT_EQ(morphy.mainLine.moves[7].nags, std::vector<int>{6});
    EXPECT_EQ(morphy.mainLine.moves[8].nags, std::vector<int>{1});
    EXPECT_EQ(morphy.mainLine.moves[9].nags, (std::vector<int>{4, 18}));

    EXPECT_EQ(Sans(games[1].mainLine), (Sequence{"O-O", "O-O-O", "Kg2"}));
    EXPECT_EQ(games[2].firstMoveNumber, 20);
    EXPECT_EQ(Sans(games[2].mainLine), (Sequence{"Qh4e1", "Kb5", "Q1e2+"}));
    EXPECT_EQ(Sans(games[3].mainLine), (Sequence{"e8=Q", "b1=N", "e4", "dxe3", "Kf3", "e2", "Kxe2"}));
    EXPECT_EQ(games[4].error, "illegal move Ke3");
    EXPECT_EQ(games[4].errorLine, 27);
    EXPECT_EQ(Sans(games[5].mainLine), (Sequence{"e4", "e5", "Nf3", "d6", "Bc4", "Nc6"}));
    EXPECT_EQ(games[6].error, "unexpected character '&'");
    EXPECT_EQ(games[6].errorLine, 35);
    EXPECT_TRUE(games[7].mainLine.moves.empty());
    EXPECT_EQ(games[7].result, "1/2-1/2");
    EXPECT_EQ(games[7].error, "");
    EXPECT_EQ(games[8].mainLine.moves.size(), 20u);
    EXPECT_EQ(games[8].result, "0-1");

    // A bad game keeps its whole text, from its tags to its result.
    const std::string bad(std::string_view(TrickyGames).substr(games[6].begin, games[6].end - games[6].begin));
    EXPECT_EQ(bad, "[Event \"Bad: an unknown character\"]\n\n1. d4 d5 2. c4 & e6 *");

    // Written in export form and read again, every good game comes back the same.
    for (PgnGame& game : games) {
        if (!game.error.empty()) continue;
        const std::string written = WritePgn(game);
        std::vector<PgnGame> again = ReadPgn(written);
        ASSERT_EQ(again.size(), 1u) << written;
        ASSERT_TRUE(ReplayGame(again[0])) << again[0].error << "\n" << written;
        EXPECT_EQ(WritePgn(again[0]), written);
        std::istringstream lines(written);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
    }
}

TEST_F(Session, DamagedFilesCostOnlyTheirGames) {
    const std::string longLine(100000, 'x');
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"", 0},
        {"\xEF\xBB\xBF   \n\n", 0},
        {"[Event \"no end\"\n\n1. e4 *\n[Event \"next\"]\n\n1. d4 *\n", 2},
        {"[Event \"open comment\"]\n\n1. e4 {never closed\n\n[Event \"next\"]\n\n1. d4 *\n", 2},
        {"[Event \"open variation\"]\n\n1. e4 (1. d4 e5\n\n[Event \"next\"]\n\n1. d4 *\n", 2},
        {"1. e4 " + longLine + " e5 *\n1. d4 *\n", 2},
        {"[Event \"x\"]\n% an escape line\n\n1. e4 e5 1-0\n", 1},
        {"1. e4 e5 1-0 1. d4 d5 0-1 1. c4 *", 3},
    };
    for (const auto& [text, count] : cases) {
        std::vector<PgnGame> games = ReadPgn(text);
        ASSERT_EQ(games.size(), count) << text.substr(0, 80);
        for (PgnGame& game : games)
            if (game.error.empty()) ReplayGame(game);
        if (count != 2) continue;
        EXPECT_NE(games[0].error, "") << text.substr(0, 80);
        EXPECT_EQ(games[1].error, "") << text.substr(0, 80);
        EXPECT_EQ(games[1].mainLine.moves.size(), 1u) << text.substr(0, 80);
    }
}

TEST_F(Session, WrittenMovesReadBackOverRandomGames) {
    auto next = RandomNumbers(88172645463325252ull);
    int checks = 0, mates = 0;
    for (int game = 0; game < 80; ++game) {
        SetGameStart("");
        for (int ply = 0; ply < 200; ++ply) {
            const std::vector<Move> legal = LegalGameMoves();
            if (legal.empty()) break;
            for (Move move : legal) {
                const std::string san = WriteSan(move);
                const SanReading reading = ReadSan(san);
                ASSERT_EQ(reading.move, move) << san << " " << reading.error;
            }
            const Move chosen = legal[next() % legal.size()];
            const std::string san = WriteSan(chosen);
            ASSERT_TRUE(PlayGameMove(chosen));
            const bool check = SideToMoveInCheck();
            const bool mate = check && LegalGameMoves().empty();
            EXPECT_EQ(san.back() == '+', check && !mate) << san;
            EXPECT_EQ(san.back() == '#', mate) << san;
            checks += check;
            mates += mate;
        }
    }
    EXPECT_GT(checks, 50);
    EXPECT_GT(mates, 0);
}

// Files as other programs write them: a blank line among a game's tags, and null moves in every
// spelling, in the main line and in variations, written back as --. The engine's game history is
// the one its own game intake keeps, null moves counted, so that repetitions are seen.
TEST_F(Session, BlankLinesAmongTagsAndNullMoves) {
    const std::vector<PgnGame> tagged = ReadPgn(
        "[Event \"E\"]\n\n[Site \"S\"]\n[White \"W\"]\n\n1. e4 e5 *\n\n"
        "[Event \"Tags only\"]\n[White \"X\"]\n\n[White \"Y\"]\n\n1. d4 *\n\n"
        "[Event \"bad value]\n\n[Site \"S\"]\n\n1. e4 *\n\n[Event \"After\"]\n\n[Site \"T\"]\n\n1. c4 *\n");
    ASSERT_EQ(tagged.size(), 5u);
    EXPECT_EQ(tagged[0].tags.size(), 3u);
    EXPECT_EQ(TagValue(tagged[0], "White"), "W");
    EXPECT_EQ(tagged[0].mainLine.moves.size(), 2u);
    EXPECT_TRUE(tagged[1].mainLine.moves.empty());  // a repeated tag after a blank line begins a game
    EXPECT_EQ(TagValue(tagged[2], "White"), "Y");
    EXPECT_NE(tagged[3].error, "");  // a bad tag costs its whole game, no more
    EXPECT_EQ(std::string_view(tagged[3].error).substr(0, 10), "the value ");
    EXPECT_EQ(TagValue(tagged[4], "Site"), "T");
    EXPECT_EQ(tagged[4].mainLine.moves.size(), 1u);

    std::vector<PgnGame> games = ReadPgn(
        "1. e4 -- 2. d4 Z0 3. c4 (3. Nf3 @@@@ 4. --! Nf6) 3... 0000 4. Nc3 Nf6 *\n\n"
        "1. e4 f5 2. Qh5+ -- *\n\n"
        "1. e4 f5 (1... d5 2. Bb5+ Z0) 2. d4 *\n\n"
        "1. e4 - *\n\n1. e4 ---- *\n\n1. e4 @@@ *\n");
    ASSERT_EQ(games.size(), 6u);
    for (PgnGame& game : games)
        if (game.error.empty()) ReplayGame(game);
    PgnGame& passes = games[0];
    ASSERT_EQ(passes.error, "");
    EXPECT_EQ(Sans(passes.mainLine), (Sequence{"e4", "--", "d4", "--", "c4", "--", "Nc3", "Nf6"}));
    EXPECT_EQ(Sans(passes.mainLine.moves[4].variations[0]), (Sequence{"Nf3", "--", "--", "Nf6"}));
    EXPECT_EQ(passes.mainLine.moves[4].variations[0].moves[2].nags, std::vector<int>{1});
    const std::string written = WritePgn(passes);
    EXPECT_EQ(written, "\n1. e4 -- 2. d4 -- 3. c4 (3. Nf3 -- 4. -- $1 Nf6) 3... -- 4. Nc3 Nf6 *\n\n");
    std::vector<PgnGame> again = ReadPgn(written);
    ASSERT_EQ(again.size(), 1u);
    ASSERT_TRUE(ReplayGame(again[0])) << again[0].error;
    EXPECT_EQ(WritePgn(again[0]), written);
    EXPECT_EQ(games[1].error, "illegal null move --: Black is in check");
    EXPECT_EQ(games[1].errorLine, 3);
    EXPECT_EQ(games[2].error, "illegal null move Z0: Black is in check");
    for (std::size_t i = 3; i < games.size(); ++i) EXPECT_NE(games[i].error, "") << i;

    // The history the engine's own intake keeps for g1f3 g8f6 f3g1 f6g8 e2e4; and with passes for
    // Black: a pass moves nothing, and four plies on the start position is back with White to move.
    char moves[] = "g1f3 g8f6 f3g1 f6g8 e2e4";
    ZarnSetStartPosition();
    ZarnSetGame(moves);
    ZarnClearHashtable();  // records the last position, as a search does
    const std::vector<Key> pawnKeys(GamePawnKeys, GamePawnKeys + 7);
    const std::vector<Key> pieceKeys(GamePieceKeys, GamePieceKeys + 7);
    const int lastIrreversible = LastIrreversiblePly;
    std::vector<PgnGame> same = ReadPgn("1. Nf3 Nf6 2. Ng1 Ng8 3. e4 *\n\n1. Nf3 -- 2. Ng1 -- 3. Nf3 *");
    ASSERT_EQ(same.size(), 2u);
    ASSERT_TRUE(ReplayGame(same[0]) && ReplayGame(same[1]));
    ASSERT_TRUE(SetPositionAfter(same[0], MainLineMoves(same[0])));
    EXPECT_EQ(std::vector<Key>(GamePawnKeys, GamePawnKeys + 7), pawnKeys);
    EXPECT_EQ(std::vector<Key>(GamePieceKeys, GamePieceKeys + 7), pieceKeys);
    EXPECT_EQ(LastIrreversiblePly, lastIrreversible);
    ASSERT_TRUE(SetPositionAfter(same[1], MainLineMoves(same[1])));
    EXPECT_EQ(GamePly, 5);
    EXPECT_EQ(GameSideToMove(), Black);
    EXPECT_EQ(LastIrreversiblePly, 0);
    for (int i : {4, 5}) EXPECT_TRUE(GamePieceKeys[i] == GamePieceKeys[1] && GamePawnKeys[i] == GamePawnKeys[1]) << i;
    for (int i : {3, 6}) EXPECT_TRUE(GamePieceKeys[i] == GamePieceKeys[2] && GamePawnKeys[i] == GamePawnKeys[2]) << i;
    EXPECT_NE(GamePieceKeys[2], GamePieceKeys[1]);
}

bool EndsWithMoveNumber(const std::string& line) {
    const std::string last = line.substr(line.find_last_of(' ') + 1);
    return last.find('.') != std::string::npos && last.find_first_not_of("0123456789.") == std::string::npos;
}

// No line of the export form ends with a move number: the number stays with its move.
TEST_F(Session, MoveNumbersStayWithTheirMoves) {
    auto next = RandomNumbers(2463534242ull);
    int lines = 0;
    for (int round = 0; round < 40; ++round) {
        PgnGame game;
        SetGameStart("");
        for (int ply = 0; ply < 120; ++ply) {
            const std::vector<Move> legal = LegalGameMoves();
            if (legal.empty()) break;
            PgnMove move;
            move.move = legal[next() % legal.size()];
            move.san = move.text = WriteSan(move.move);
            if (next() % 3 == 0) move.comments.push_back(std::string(next() % 12, 'c'));
            if (next() % 7 == 0) move.nags.push_back(1 + static_cast<int>(next() % 6));
            game.mainLine.moves.push_back(move);
            ASSERT_TRUE(PlayGameMove(move.move));
        }
        std::istringstream text(WritePgn(game));
        for (std::string line; std::getline(text, line); ++lines) EXPECT_FALSE(EndsWithMoveNumber(line)) << line;
    }
    EXPECT_GT(lines, 200);
}

using zarn::testing::Outcome;
using zarn::testing::RunCommand;

Outcome RunZarn(const std::string& arguments) { return RunCommand(ZARN_PROGRAM, arguments); }

TEST_F(Session, AnnotateCommandWritesGamesThatReadBack) {
    const std::filesystem::path directory = std::filesystem::temp_directory_path() / ("zarn-annotate-" + std::to_string(getpid()));
    std::filesystem::create_directories(directory);
    const std::string input = (directory / "games.pgn").string();
    std::ofstream(input, std::ios::binary) << TrickyGames;
    const std::string output = (directory / "annotated.pgn").string();
    const std::string graphs = (directory / "graphs").string();

    const Outcome run = RunZarn("annotate " + input + " --depth 3 --output " + output + " --graph " + graphs + " 2>" +
                            (directory / "errors.txt").string());
    EXPECT_EQ(run.exitCode, 1);
    std::ifstream errorFile(directory / "errors.txt");
    const std::string errors((std::istreambuf_iterator<char>(errorFile)), std::istreambuf_iterator<char>());
    EXPECT_EQ(errors,
              "zarn annotate: game 5 (line 27): illegal move Ke3; copied unchanged\n"
              "zarn annotate: game 7 (line 35): unexpected character '&'; copied unchanged\n");

    std::ifstream annotatedFile(output, std::ios::binary);
    const std::string annotated((std::istreambuf_iterator<char>(annotatedFile)), std::istreambuf_iterator<char>());
    std::vector<PgnGame> games = ReadPgn(annotated);
    ASSERT_EQ(games.size(), 9u) << annotated;
    for (std::size_t i = 0; i < games.size(); ++i) {
        const bool bad = i == 4 || i == 6;
        if (games[i].error.empty()) ReplayGame(games[i]);
        if (!bad) {
            ASSERT_EQ(games[i].error, "");
            EXPECT_EQ(TagValue(games[i], "Annotator"), games[i].mainLine.moves.empty() ? "" : "Zarn 504");
        } else {
            EXPECT_NE(games[i].error, "");
        }
        for (const PgnMove& move : games[i].mainLine.moves) {
            if (bad || move.san.back() == '#') continue;
            ASSERT_FALSE(move.comments.empty()) << move.san;
            EXPECT_EQ(move.comments.front().rfind("[%eval ", 0), 0u) << move.comments.front();
        }
    }
    // The original comments and variations stay; the mating move has no evaluation, the rest do.
    const PgnGame& morphy = games[0];
    EXPECT_EQ(morphy.mainLine.comments, Sequence{"Opening comment"});
    EXPECT_EQ(morphy.mainLine.moves[6].variations.front().moves.size(), 3u);
    std::string flat = annotated;  // wherever the lines break
    std::replace(flat.begin(), flat.end(), '\n', ' ');
    EXPECT_NE(flat.find("Bxd1 $4 $18 {[%eval "), std::string::npos) << annotated;
    EXPECT_NE(flat.find("7. Nd5# 1-0"), std::string::npos) << annotated;
    EXPECT_NE(annotated.find("[Event \"Bad: an unknown character\"]\n\n1. d4 d5 2. c4 & e6 *\n\n"), std::string::npos);

    // One well-formed chart for each game with moves; the check itself finds the faults a writer makes.
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(graphs)) {
        std::ifstream file(entry.path());
        const std::string svg{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        EXPECT_EQ(XmlFault(svg), "") << entry.path();
        ++count;
    }
    EXPECT_EQ(count, 6u);
    for (const char* broken : {"<svg><title>Nxe5 & Qd1</title></svg>", "<svg><g></svg>", "<svg><g></svg></g>",
                               "<svg x=1/>", "<svg x=\"1\" x=\"2\"/>", "<svg/><svg/>", "<svg><text>a < b</text></svg>",
                               "<svg x=\"<\"/>", "<svg><title>&nbsp;</title></svg>", "<svg>"})
        EXPECT_NE(XmlFault(broken), "") << broken;
    EXPECT_EQ(XmlFault("<?xml version=\"1.0\"?>\n<svg a='1' b=\"&amp;&#38;&#x26;\"><!-- c --><t>&lt;</t></svg>\n"), "");

    for (const std::string& arguments : std::vector<std::string>{"annotate", "annotate " + input + " --depth 0", "annotate " + input + " --colour",
                                         "annotate " + (directory / "missing.pgn").string(),
                                         "annotate " + input + " --output " + input}) {
        const Outcome refused = RunZarn(arguments + " 2>&1");
        EXPECT_EQ(refused.exitCode, 2) << arguments;
        EXPECT_EQ(refused.output.rfind("zarn annotate: ", 0), 0u) << refused.output;
        EXPECT_EQ(std::count(refused.output.begin(), refused.output.end(), '\n'), 1) << refused.output;
    }
    std::filesystem::remove_all(directory);
}

// The chart says what the file says: the player's own mark counts, a null move is neither evaluated
// nor marked but the positions after it are, and the subtitle leaves out what the tags do not know.
TEST_F(Session, AnnotatedChartsAgreeWithTheFile) {
    const std::filesystem::path directory = std::filesystem::temp_directory_path() / ("zarn-charts-" + std::to_string(getpid()));
    std::filesystem::create_directories(directory);
    const std::string input = (directory / "games.pgn").string();
    std::ofstream(input, std::ios::binary) << R"PGN([Event "Casual game"]
[Result "1-0"]

1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6? 4. Qxf7# 1-0

[Event "Passes"]

[Site "?"]
[Date "2023.??.??"]

1. e4 -- 2. d4 Z0 3. Nf3 *

[Event "A pass in check"]

1. e4 f5 2. Qh5+ -- *
)PGN";
    const Outcome run = RunZarn("annotate " + input + " --depth 3 --graph " + (directory / "charts").string() + " 2>&1");
    EXPECT_EQ(run.exitCode, 1);
    std::string flat = run.output;
    std::replace(flat.begin(), flat.end(), '\n', ' ');
    EXPECT_NE(flat.find("zarn annotate: game 3 (line 15): illegal null move --: Black is in check; copied unchanged"),
              std::string::npos) << run.output;
    EXPECT_NE(flat.find("3... Nf6 $2 {[%eval "), std::string::npos) << run.output;
    EXPECT_NE(flat.find(" 1... -- 2. d4 {[%eval "), std::string::npos) << run.output;
    EXPECT_NE(flat.find(" 2... -- 3. Nf3 {[%eval "), std::string::npos) << run.output;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) EXPECT_FALSE(EndsWithMoveNumber(line)) << line;

    auto chart = [&](const char* name) {
        std::ifstream file(directory / "charts" / name);
        return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    };
    const std::string first = chart("game-0001.svg");
    EXPECT_NE(first.find(">Casual game; analysed by Zarn 504 at depth 3</text>"), std::string::npos) << first;
    EXPECT_NE(first.find("<title>3... Nf6 mistake ("), std::string::npos) << first;
    EXPECT_EQ(first.find("blunder ("), std::string::npos) << first;
    const std::string second = chart("game-0002.svg");
    EXPECT_NE(second.find(">Passes, 2023; analysed by Zarn 504 at depth 3</text>"), std::string::npos) << second;
    std::filesystem::remove_all(directory);
}

}  // namespace
}  // namespace zarn::cli
