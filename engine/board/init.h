// The builders of the start-up tables, in the order InitialiseEngine runs them.
#pragma once

namespace zarn {

void BuildDistanceTables();  // FileDistance, RankDistance, Distance
void BuildByteTables();      // LowestBitOfByte
void BuildAttackTables();    // masks, shifts, sliding attacks and mobility, leaper and pawn attacks
void BuildGeometryMasks();   // file/rank/colour/wing/corner masks, pawn-structure masks, Ray, Between, ...

}  // namespace zarn
