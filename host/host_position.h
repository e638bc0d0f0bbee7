// Building a host search request from FEN text and coordinate moves, and reading host moves back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "adapter/records.h"

namespace zarn::host {

// Fills the board, side to move, castling rights and en-passant square of the request from FEN text
// (the first four fields; the clocks are ignored). Returns false when the placement or side is malformed.
bool RequestFromFen(std::string_view fen, adapter::SearchRequest& request);

// A coordinate move ("e2e4", "e7e8q") as a host game move word; 0 when malformed.
std::uint16_t GameMoveWord(std::string_view move);

// Appends blank-separated coordinate moves to the request's game. Returns false on a malformed move
// or when the game is full.
bool AppendGameMoves(std::string_view moves, adapter::SearchRequest& request);

// A host move as coordinate text ("e7e8q").
std::string HostMoveText(const adapter::HostMove& move);

}  // namespace zarn::host
