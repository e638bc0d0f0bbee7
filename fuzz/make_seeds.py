#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/, one file per seed.

The seeds are small, readable inputs that reach each part of an input's handling; the fuzzer mutates
them. Run it again after changing a seed: it rewrites the seed files and leaves other files alone."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"
KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"

FEN = {
    "start": START,
    "start-counters": START + " 0 1",
    "empty-black": "8/8/8/8/8/8/8/8 b - -",
    "kiwipete": KIWIPETE,
    "en-passant": "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "promotions": "1n2k3/P1P5/8/8/8/8/5p1p/4K1N1 w - -",
    "many-queens": "QQQQQQQQ/QQQQQQQQ/8/3k4/8/8/qqqqqqqq/K7 b - -",
    "missing-kings": "rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1BNR w KQkq -",
    "pawns-on-edge-ranks": "pPpPkPpP/8/8/8/8/8/8/PpPpKpPp w - -",
    "two-kings": "k6k/8/8/8/8/8/8/K6K w - -",
    "side-in-check-not-to-move": "4k3/8/8/8/8/8/4R3/4K3 w - -",
    "short-rank": "rnbqkbnr/ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "long-rank": "rnbqkbnrrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "mixed-separators": "rnbqkbnr,pppppppp;8=8+8 8/PPPPPPPP/RNBQKBNR w KQkq -",
    "overlong-field": "rnbqkbnr/" + "p" * 40 + "/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "many-fields": " ".join(["8"] * 1100),
    "uppercase-side": START.replace(" w ", " W "),
    "stalemate": "7k/5Q2/6K1/8/8/8/8/8 b - -",
    "mate": "7k/6Q1/6K1/8/8/8/8/8 b - -",
    "castling-all": "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -",
}

GAME = {
    "opening": "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6",
    "separators": "e2e4,e7e5;g1f3=b8c6+f1c4",
    "skipped": "e2e4 e2e4 e7e5 E2E4 1. O-O g1f3",
    "castling": "e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1 f8c5",
    "en-passant": "e2e4 a7a6 e4e5 d7d5 e5d6",
    "promotion": "1n2k3/P1P5/8/8/8/8/5p1p/4K1N1 w - -\na7b8n f2f1Q c7c8=Q c7c8r",
    "repetition": "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8",
    "replay-limit": "#g1f3 g8f6 f3g1 f6g8",
    "many-fields": " ".join(["g1f3", "g8f6", "f3g1", "f6g8"] * 260),
    "overlong-fields": "e2e4" + "x" * 60 + " e7e5" + "5" * 40,
    "kiwipete": KIWIPETE + "\ne1g1 e8c8 d5e6 a6e2",
}

PARAM = {
    "draw-low": "DrawScore\n-80",
    "threat-high": "ThreatExtensions\n99",
    "blitz-letters": "BlitzPlayingSpeed\nabc",
    "lowercase": "drawscore\n20",
    "all": "\n".join(
        f"{name}\n{value}"
        for name, value in [
            ("CheckExtensions", "60"), ("RecaptureExtensions", "0"), ("PawnPushExtensions", "  +30"),
            ("ThreatExtensions", "-1"), ("SingleMoveExtensions", "45x"), ("DrawScore", "-50"),
            ("FutilityPruning", "500"), ("MaterialTrade", "150"), ("OffensiveAsymmetry", "50"),
            ("SafetyAsymmetry", "-50"), ("OffensiveScale", "200"), ("SafetyScale", "0"),
            ("BlitzPlayingSpeed", "35"),
        ]),
    "huge-number": "FutilityPruning\n99999999999999999999999",
    "huge-negative": "SafetyScale\n-99999999999999999999999",
}

UCI = {
    "handshake": "uci\nisready\nucinewgame\nposition startpos\ngo depth 3\nisready\nquit",
    "moves-and-go": "position startpos moves e2e4 e7e5 g1f3\ngo wtime 3000 btime 3000 winc 100 binc 100\nstop",
    "infinite": "position fen " + KIWIPETE + "\ngo infinite\nisready\nposition startpos\nstop",
    "ponder": "position startpos moves e2e4\ngo ponder wtime 5000 btime 5000\nponderhit\nstop",
    "movetime": "position startpos\ngo movetime 1000\nposition startpos moves d2d4",
    "options": "setoption name Hash value 2\nsetoption name DrawScore value -80\n"
               "setoption name Ponder value true\nsetoption name Clear Hash\ngo depth 2",
    "bad-input": "position fen 8/8/8 w\nposition startpos moves e2e5\ngo wtime x\nfoo bar\n"
                 "setoption name\ngo searchmoves e2e4 depth 2",
    "huge-clock": "position startpos\ngo wtime 9223372036854775807 btime 9223372036854775807 "
                  "winc 9223372036854775807 binc 9223372036854775807 movestogo 1",
    "mate-position": "position fen 7k/6Q1/6K1/8/8/8/8/8 b - -\ngo depth 3",
    "long-game": "position startpos moves " + " ".join(["g1f3", "g8f6", "f3g1", "f6g8"] * 250)
                 + "\ngo depth 2",
}


def request(board=None, start=True, white=True, ep=0, castling=15, moves=(), mode=1, seconds=0,
            increment=0, used_second=0, tc_moves=0, used_first=0, depth=1, ponder=0):
    """A SearchRequest record of 1144 bytes, as the host lays it out."""
    data = bytearray(1144)
    if board:
        data[28:92] = bytes(board)
    data[92] = 1 if start else 0
    data[93] = 1 if white else 0
    data[94] = ep
    data[95] = castling
    for i, word in enumerate(moves[:512]):
        struct.pack_into("<H", data, 96 + 2 * i, word)
    struct.pack_into("<hhiiihhhh", data, 1120, len(moves), mode, seconds, increment, used_second,
                     tc_moves, used_first, depth, ponder)
    return bytes(data)


def host_board(fen):
    codes = {c: i + 1 for i, c in enumerate("PNBRQK")}
    codes.update({c: i + 9 for i, c in enumerate("pnbrqk")})
    board = [0] * 64
    for row, text in enumerate(fen.split()[0].split("/")):
        file = 0
        for c in text:
            if c.isdigit():
                file += int(c)
            else:
                board[(7 - row) * 8 + file] = codes[c]
                file += 1
    return board


def move_word(text):
    word = (ord(text[0]) - 97) | (ord(text[1]) - 49) << 3 | (ord(text[2]) - 97) << 6 | (ord(text[3]) - 49) << 9
    if len(text) > 4:
        word |= {"Q": 4, "R": 5, "B": 6, "N": 7}[text[4]] << 12
    return word


def option_edits(values):
    """Edits of the option records: keep the type, clear the flags, set the current value."""
    return b"".join(bytes([0]) + struct.pack("<ii", 0, value) for value in values)


ADAPTER = {
    "start-depth": bytes([0]) + request(),
    "start-moves": bytes([0]) + request(moves=[move_word(m) for m in "e2e4 e7e5 g1f3 b8c6".split()]),
    "zero-move-word": bytes([0]) + request(moves=[move_word("e2e4"), 0, move_word("e7e5")]),
    "kiwipete": bytes([0]) + request(board=host_board(KIWIPETE), start=False, castling=15),
    "en-passant": bytes([0]) + request(board=host_board("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR"),
                                       start=False, ep=45),
    "promotion-moves": bytes([0]) + request(board=host_board("1n2k3/P1P5/8/8/8/8/5p1p/4K1N1"), start=False,
                                            castling=0, moves=[move_word("a7b8N"), move_word("f2f1Q")]),
    "blitz": bytes([1]) + request(mode=2, seconds=60, increment=1),
    "time-control": bytes([1]) + request(mode=3, seconds=300, tc_moves=0),
    "infinite": bytes([1]) + request(mode=0),
    "ponder": bytes([3]) + request(mode=2, seconds=10, ponder=1),
    "options": bytes([4]) + request(depth=2) + option_edits([60, 0, 60, 0, 20, 35]),
    "option-types": bytes([4]) + request() + bytes([205]) + struct.pack("<ii", 1, 1) + bytes([206])
    + struct.pack("<ii", 0, 7),
    "no-option-record": bytes([8]) + request(),
    "garbage-board": bytes([0]) + request(board=[(i * 37) % 256 for i in range(64)], start=False, ep=200),
}

PGN = {
    "export": """[Event "A \\"quoted\\" name"]
[Site "London"]
[Date "1858.??.??"]
[White "Morphy"]
[Black "Duke; Count"]
[Result "1-0"]

{Opening comment} 1. e4 e5 2. Nf3 d6 3. Bc4 Bg4 ; a pin
4. Nc3 (4. c3 Qf6 (4... Nf6) 5. d4) 4... g6?! 5. Nxe5! Bxd1?? $18 6. Bxf7+ Ke7
7. Nd5# 1-0
""",
    "blank-line-tags": """[Event "Club match"]

[Site "?"]
[White "A"]
[Black "B"]
[Result "*"]

1. d4 d5 2. c4 *

[Event "Tags only"]
[White "C"]

[White "D"]

1. e4 *
""",
    "null-moves": """[Event "Passes"]

1. e4 -- 2. d4 Z0 3. c4 (3. Nf3 @@@@ 4. --! Nf6) 3... 0000 4. Nc3 Nf6 *

[Event "A pass in check"]

1. e4 f5 2. Qh5+ -- *
""",
    "forms": """[Event "Castling"]
[SetUp "1"]
[FEN "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"]

1. 0-0 O-O-O+ 2. Kg2 *

[Event "Promotions and en passant"]
[FEN "8/4P1k1/8/8/3p4/8/1p2P1K1/8 w - - 0 1"]

1. e8Q b1=N 2. e4 dxe3 3. Kf3 e2? 4. Kxe2 *

[Event "Disambiguation"]
[FEN "8/8/1k6/8/4Q2Q/8/8/K6Q w - - 0 20"]

20. Qh4e1 Kb5 21. Qe1-e2+ *

1. e2e4 e7e5 2. g1f3 Pd6 3. Bf1-c4 Nb8:c6 *
""",
    "damaged": """[Event "no end"

1. e4 *
[Event "open comment"]

1. e4 {never closed

[Event "open variation"]

1. e4 (1. d4 e5

[Event "bad"]

1. d4 d5 2. c4 & e6 2. Ke3 *

1. e4 e5 1-0 1. d4 d5 0-1 1. c4 *
""",
    "escapes": "\xef\xbb\xbf[Event \"x\"]\r\n% an escape line\r\n\r\n1. e4 e5 $1 $255 {a}} ; rest\r\n2. Nf3 1/2-1/2\r\n",
    "annotated": """[Event "Annotated"]
[Annotator "Zarn 504"]

1. d4 {[%eval 0.00]} 1... Nf6 {[%eval 0.41]} 2. c4 {[%eval 0.00]} 2... e6
{[%eval 0.10]} 3. Nc3 {[%eval -0.04]} 3... Bb4 {[%eval 0.14]} 4. Qc2 $6
{[%eval -0.32]} (4. Qb3 {[%eval 0.20]} 4... c5 5. dxc5) 4... O-O 0-1
""",
}


def write(target, seeds):
    directory = os.path.join(HERE, "corpus", target)
    os.makedirs(directory, exist_ok=True)
    for name, content in seeds.items():
        data = content.encode("latin-1") if isinstance(content, str) else content
        with open(os.path.join(directory, name), "wb") as out:
            out.write(data)


write("fen", FEN)
write("game", GAME)
write("param", PARAM)
write("uci", UCI)
write("adapter", ADAPTER)
write("pgn", PGN)
