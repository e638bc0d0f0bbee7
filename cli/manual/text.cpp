// What the manual says: the one text behind both `zarn help` and the manual page zarn.6. A command,
// an option or a UCI option of the program is documented here and nowhere else.
#include "cli/manual/manual.h"

#include <array>

namespace zarn::cli::manual {
namespace {

constexpr std::string_view Description =
    "Zarn is a chess engine: a bitboard move generator, a static evaluation with a pawn hash table and an "
    "iterative-deepening alpha-beta search with a transposition table. Without a command zarn speaks the "
    "Universal Chess Interface (UCI) on standard input and output, so that any UCI graphical interface can "
    "run it by its name or its path, and xboard through polyglot(6). The commands below analyse positions "
    "and games from the command line and measure the engine.\n"
    "Positions are FEN text: piece placement, side to move, castling rights and en-passant square; move "
    "counters may follow and are ignored. Moves are in coordinate notation: the from-square, the to-square "
    "and, for a promotion, the piece (e2e4, e7e8q). analyse and bench show scores in pawns from the side "
    "to move's point of view (+0.35), or \"mate in N\" and \"mated in N\" moves; eval shows centipawns "
    "from White's point of view, and annotate writes pawns from White's point of view, as PGN readers "
    "expect. analyse, bench and eval say which in their output.";

constexpr std::array Commands{
    Entry{"uci",
          "Speaks UCI on standard input and output; this is what zarn does without a command. It understands "
          "uci, isready, setoption, ucinewgame, position startpos|fen FEN [moves MOVES], go, stop, ponderhit "
          "and quit (debug and register are accepted and ignored). go takes wtime, btime, winc, binc, "
          "movestogo, movetime, depth, nodes, mate, infinite and ponder; searchmoves is accepted and not "
          "applied. nodes N counts the nodes of every search thread and ends the search within 256 nodes past "
          "N on one thread (N / 256 + 256 more a thread on several), mate N as soon as a mate in N moves or "
          "fewer is found; both combine with the other limits. Unknown or malformed go parameters are skipped "
          "with an info string. Every depth from 1 on is reported with its score and variation, which goes on "
          "with the hash table's moves where the search cut it short, and every go ends in bestmove, the "
          "search's best move so far, with the reply to ponder on when there is one. The search runs beside "
          "the input, so stop and quit are answered at once; the program keeps its own deadline with a "
          "reserve for the exchange of messages. "
          "Other malformed input is answered with an info string and changes nothing."},
    Entry{"analyse [--fen FEN] [--moves MOVES] [--depth N | --movetime MS | --infinite] [--multipv N] [--threads N]",
          "Analyses one position and prints its progress from depth 1 on (depth, score, nodes, nodes per "
          "second, time, moves): a line whenever the score, the best move or its variation changes, a score "
          "bound as >= or <= while a move is searched again, and at the end the result at the depth reached; "
          "then the best move and the expected reply. --fen sets the position (the start position without "
          "it); --moves plays the moves of one argument, separated by spaces, from there. The search ends at "
          "depth N, after MS milliseconds or, with --infinite, when a line or the end of standard input "
          "arrives, or on Ctrl-C (SIGINT) or SIGTERM, printing the best move found so far; without a limit it "
          "runs for 3 seconds. Without --infinite it also ends once a mate is proven, when the depth covers "
          "it: 2N-1 plies for a mate in N, 2N for mated in N. --multipv N reports the N best moves, each with "
          "its own variation (1 by default), all of them again whenever one changes; a proven mate then ends "
          "the analysis when every line has one. Variations that the search cut short where it took a score "
          "from its hash table go on with the table's moves, up to the depth. --threads N searches on N "
          "threads (1 by default), like the UCI option Threads."},
    Entry{"annotate GAMES.pgn [--movetime MS | --depth N] [--output OUT.pgn [--resume]] [--graph DIR] [--jobs N] "
          "[--shard K/N]",
          "Searches every position of each game's main line in the PGN file GAMES.pgn (- for standard input) "
          "for MS milliseconds (200 by default) or to depth N, and writes the games, with their tags, "
          "comments and variations, to OUT.pgn or to standard output: after every move its evaluation from "
          "White's point of view as {[%eval 0.35]} ([%eval #3] when White mates in three, #-3 when Black "
          "does); a move other than the engine's choice that loses 50 centipawns against it gets ?! ($6), "
          "100 a ? ($2), 300 a ?? ($4), and the engine's line as a variation. --graph writes an SVG chart of "
          "the evaluation of each game to DIR/game-NNNN.svg. A game that cannot be read is reported with "
          "its number, line and reason and copied unchanged; the exit status is then 1. --jobs N reviews N "
          "games at a time in separate processes (0: one per processor), written in the input's order; "
          "--shard K/N takes the K-th of N blocks of the games, for N machines whose outputs joined in "
          "order are one run's; --resume continues a run cut short that wrote OUT.pgn, keeping its whole "
          "games. zarn annotate --help says more."},
    Entry{"bench [DEPTH | --positions]",
          "Searches 13 fixed positions to depth DEPTH (9 by default, 1 to 31) with 16 MB of hash and prints "
          "for each its number, its nodes, its score as analyse shows it and its best line, then the depth, "
          "the time, the nodes per second and, last, the nodes searched. The node count is the "
          "search's signature: at depth 9 it is 23799380 on every machine. --positions lists the positions "
          "as FEN text."},
    Entry{"eval [FEN | --bench [POSITIONS]]",
          "Prints the static evaluation of a position term by term (the start position without FEN). "
          "--bench measures evaluations per second over POSITIONS positions of random games (4000 by default, "
          "100 to 1000000)."},
    Entry{"perft DEPTH [FEN]",
          "Counts the leaves of the tree of legal moves DEPTH plies deep (1 to 20) from the position (the "
          "start position without FEN): one line per root move, then the total, the time and the speed."},
    Entry{"help", "Prints this manual; zarn --help and zarn -h do the same."},
    Entry{"--version", "Prints the engine's name and version."},
};

constexpr std::array UciOptions{
    Entry{"Hash (spin, default 64, 1 to 65536; 1 to 1024 in 32-bit builds)",
          "Megabytes for the transposition tables. A change gives new empty tables; the position and the "
          "other options are kept. A size the machine's free memory cannot hold is refused with an info "
          "string, and the tables stay as they were. Large tables are faulted in, and released, by a "
          "background thread while the engine waits, so that the first search does not pay for it."},
    Entry{"Clear Hash (button)", "Empties the transposition tables (as ucinewgame does)."},
    Entry{"Ponder (check, default false)",
          "Tells the engine that the interface may let it think on the opponent's time (go ponder, then "
          "ponderhit or stop)."},
    Entry{"MultiPV (spin, default 1, 1 to 64)",
          "How many best moves the search reports, each with its own variation: every completed iteration "
          "gives that many info lines with multipv 1, 2, ..., best first (fewer when there are fewer legal "
          "moves). bestmove is the first line's move."},
    Entry{"Threads (spin, default 1, 1 to 512; 1 on Windows)",
          "Threads that search: besides the main search thread, Threads - 1 helper threads search the same "
          "position and share the transposition tables with it; the main thread reports, keeps the time and "
          "chooses the move, and nodes and nps count every thread. Set it to the number of processor cores. "
          "The helpers are made when the option is set and kept for the searches that follow. The Windows "
          "programs search on one thread: their compilers emulate the per-thread storage the search needs "
          "with a call per access."},
    Entry{"RecaptureExtensions (spin, default 45, 0 to 60)",
          "Extension of a recapture of a piece of the same class, in sixtieths of a ply."},
    Entry{"PawnPushExtensions (spin, default 45, 0 to 60)",
          "Extension of a pawn move to the second or the seventh rank, in sixtieths of a ply."},
    Entry{"ThreatExtensions (spin, default 36, 0 to 60)",
          "Extension of every move in a node under a threat of mate, in sixtieths of a ply."},
    Entry{"SingleMoveExtensions (spin, default 45, 0 to 60)",
          "Extension of the only move out of check, in sixtieths of a ply."},
    Entry{"DrawScore (spin, default 15, -50 to 50)",
          "Value of a draw in centipawns for the side to move when the search starts."},
    Entry{"BlitzPlayingSpeed (spin, default 26, 25 to 35)",
          "The engine plans to spend one part in this many of its remaining time on a move when the clock "
          "gives no moves to go."},
};

constexpr std::string_view UciOptionsIntro =
    "Set with setoption name NAME value VALUE. A value outside the range is clamped and an info string says "
    "so; an unknown name or a value that is no number changes nothing.";

constexpr std::array Files{
    Entry{"{bindir}/zarn", "The program."},
    Entry{"{libdir}/libZarn504.so",
          "The engine library for programs that embed the engine: eighteen C functions (ZarnInit, "
          "ZarnSetPosition, ZarnAnalyse, ...) and five progress callbacks. The program does not need it."},
    Entry{"{includedir}/zarn/zarn.h", "The C declarations of the engine library."},
    Entry{"{docdir}/README.md", "How to build, install and register the engine with a GUI."},
};

constexpr std::string_view FilesIntro = "zarn reads no configuration file and keeps nothing between runs.";

constexpr std::array ExitStatus{
    Entry{"0", "Success, also for a UCI session that ends with quit or at the end of its input."},
    Entry{"1", "The engine could not allocate its tables."},
    Entry{"2",
          "Bad usage or bad input: an unknown command or argument, a missing or malformed number, a FEN that "
          "describes no position, a move that cannot be read."},
};

constexpr std::array Examples{
    Entry{"zarn analyse --movetime 10000", "Analyse the start position for ten seconds:"},
    Entry{"zarn analyse --moves \"e2e4 c7c5 g1f3\" --depth 14 --multipv 3",
          "Show the three best moves after 1. e4 c5 2. Nf3, searched to depth 14:"},
    Entry{"zarn analyse --fen \"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -\" --depth 8", "Find the mate in a FEN position:"},
    Entry{"zarn annotate games.pgn --movetime 500 --output annotated.pgn",
          "Annotate the games of a PGN file at half a second a move:"},
    Entry{"xboard -fcp zarn -fUCI", "Play against the engine in xboard, which runs it through polyglot:"},
    Entry{"zarn bench", "Check the search on this machine (the last line reads \"Nodes searched: 23799380\"):"},
    Entry{"zarn perft 5", "Count the move paths five plies deep from the start position:"},
};

constexpr std::array AllSections{
    Section{"SYNOPSIS", "", Layout::Synopsis},
    Section{"DESCRIPTION", Description},
    Section{"COMMANDS", "", Layout::Tagged, Commands},
    Section{"UCI OPTIONS", UciOptionsIntro, Layout::Tagged, UciOptions},
    Section{"FILES", FilesIntro, Layout::Tagged, Files},
    Section{"EXIT STATUS", "", Layout::Tagged, ExitStatus},
    Section{"EXAMPLES", "", Layout::Examples, Examples},
    Section{"SEE ALSO", "polyglot(6), xboard(6)"},
};

}  // namespace

std::span<const Section> Sections() { return AllSections; }

}  // namespace zarn::cli::manual
