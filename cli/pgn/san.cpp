// Standard algebraic notation against the engine's legal moves.
#include "cli/pgn/san.h"

#include <vector>

#include "cli/pgn/game_position.h"

namespace zarn::cli {
namespace {

int KindOfPieceLetter(char letter) {
    switch (letter) {
        case 'N': return Knight;
        case 'B': return Bishop;
        case 'R': return Rook;
        case 'Q': return Queen;
        case 'K': return King;
        case 'P': return Pawn;
        default: return Empty;
    }
}

int KindOfPromotionLetter(char letter) {
    switch (letter) {
        case 'N': case 'n': return Knight;
        case 'B': case 'b': return Bishop;
        case 'R': case 'r': return Rook;
        case 'Q': case 'q': return Queen;
        default: return Empty;
    }
}

bool IsFile(char c) { return c >= 'a' && c <= 'h'; }
bool IsRank(char c) { return c >= '1' && c <= '8'; }

bool IsCastling(Move move) {
    return MoveKind(move) == King && (MoveTo(move) - MoveFrom(move) == 2 || MoveFrom(move) - MoveTo(move) == 2);
}

SanReading Failure(std::string error) { return {0, std::move(error)}; }

// Castling text: 1 short, 2 long, 0 neither.
int CastlingWing(std::string_view text) {
    if (text == "O-O" || text == "0-0" || text == "o-o") return 1;
    if (text == "O-O-O" || text == "0-0-0" || text == "o-o-o") return 2;
    return 0;
}

}  // namespace

SanReading ReadSan(std::string_view text) {
    const std::string original(text.substr(0, 24).size() < text.size() ? std::string(text.substr(0, 24)) + "..." : std::string(text));
    while (!text.empty() && (text.back() == '+' || text.back() == '#' || text.back() == '!' || text.back() == '?'))
        text.remove_suffix(1);
    if (text.empty()) return Failure("empty move");
    const std::vector<Move> legal = LegalGameMoves();

    if (const int wing = CastlingWing(text)) {
        for (Move move : legal)
            if (IsCastling(move) && (MoveTo(move) > MoveFrom(move)) == (wing == 1)) return {move, ""};
        return Failure("illegal move " + original + ": castling is not possible");
    }

    // Promotion at the end: =Q, Q, or (after the last rank) q.
    int promotion = Empty;
    if (text.size() >= 3 && KindOfPromotionLetter(text.back()) != Empty) {
        const bool marked = text[text.size() - 2] == '=';
        const char before = marked ? (text.size() >= 4 ? text[text.size() - 3] : ' ') : text[text.size() - 2];
        if (marked || before == '1' || before == '8') {
            promotion = KindOfPromotionLetter(text.back());
            text.remove_suffix(marked ? 2 : 1);
        }
    }
    if (text.size() < 2 || !IsFile(text[text.size() - 2]) || !IsRank(text.back()))
        return Failure("unreadable move " + original);
    const int to = MakeSquare(text[text.size() - 2] - 'a', text.back() - '1');
    text.remove_suffix(2);
    if (!text.empty() && (text.back() == 'x' || text.back() == ':' || text.back() == '-')) text.remove_suffix(1);

    int kind = Pawn;
    bool kindNamed = false;
    if (!text.empty() && KindOfPieceLetter(text.front()) != Empty) {
        kind = KindOfPieceLetter(text.front());
        kindNamed = true;
        text.remove_prefix(1);
    }
    int fromFile = -1;
    int fromRank = -1;
    if (!text.empty() && IsFile(text.front())) {
        fromFile = text.front() - 'a';
        text.remove_prefix(1);
    }
    if (!text.empty() && IsRank(text.front())) {
        fromRank = text.front() - '1';
        text.remove_prefix(1);
    }
    if (!text.empty()) return Failure("unreadable move " + original);
    if (promotion != Empty && kind != Pawn) return Failure("unreadable move " + original + ": only a pawn promotes");
    // Plain coordinates (g1f3) name the piece by its square.
    const bool anyKind = !kindNamed && fromFile >= 0 && fromRank >= 0;

    Move found = 0;
    int matches = 0;
    for (Move move : legal) {
        if ((!anyKind && MoveKind(move) != kind) || MoveTo(move) != to) continue;
        if (fromFile >= 0 && FileOf(MoveFrom(move)) != fromFile) continue;
        if (fromRank >= 0 && RankOf(MoveFrom(move)) != fromRank) continue;
        if (MovePromotion(move) != promotion) continue;
        if (kind == King && IsCastling(move) && fromFile < 0) continue;  // castling is written O-O
        found = move;
        ++matches;
    }
    if (matches == 1) return {found, ""};
    if (matches > 1) return Failure("ambiguous move " + original);
    if (kind == Pawn && promotion == Empty && (RankOf(to) == 0 || RankOf(to) == 7))
        return Failure("illegal move " + original + ": a promotion needs its piece");
    return Failure("illegal move " + original);
}

bool IsNullMoveText(std::string_view text) { return text == "--" || text == "Z0" || text == "0000" || text == "@@@@"; }

std::string WriteSan(Move move) {
    std::string text;
    if (IsCastling(move)) {
        text = MoveTo(move) > MoveFrom(move) ? "O-O" : "O-O-O";
    } else {
        const int kind = MoveKind(move);
        const int from = MoveFrom(move);
        const int to = MoveTo(move);
        const bool capture = MoveCaptured(move) != Empty || (kind == Pawn && FileOf(from) != FileOf(to));
        if (kind == Pawn) {
            if (capture) text += static_cast<char>('a' + FileOf(from));
        } else {
            text += PieceLetters[kind];
            bool rival = false, sameFile = false, sameRank = false;
            for (Move other : LegalGameMoves()) {
                if (other == move || MoveKind(other) != kind || MoveTo(other) != to || MoveFrom(other) == from) continue;
                rival = true;
                if (FileOf(MoveFrom(other)) == FileOf(from)) sameFile = true;
                if (RankOf(MoveFrom(other)) == RankOf(from)) sameRank = true;
            }
            if (rival && (!sameFile || sameRank)) text += static_cast<char>('a' + FileOf(from));
            if (rival && sameFile) text += static_cast<char>('1' + RankOf(from));
        }
        if (capture) text += 'x';
        text += static_cast<char>('a' + FileOf(to));
        text += static_cast<char>('1' + RankOf(to));
        if (MovePromotion(move) != Empty) {
            text += '=';
            text += PieceLetters[MovePromotion(move)];
        }
    }
    const MoveEffect effect = EffectOf(move);
    if (effect.mate) text += '#';
    else if (effect.check) text += '+';
    return text;
}

}  // namespace zarn::cli
