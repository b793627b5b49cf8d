// Every kind of draw the game makes, prepared while a loading picture shows: a
// software rasteriser compiles the code of a kind of draw the first time it is
// made, which would hold up that frame of the game by tens of milliseconds.
#pragma once

#include <cstddef>

// The kinds drawn by the title, the menus and the loading pictures, and those
// drawn in play (as SDrawKind writes them). A test plays the game through and
// fails on a kind missing here, naming it.
extern const char* const kMenuDrawKinds[];
extern const size_t kMenuDrawKindCount;
extern const char* const kPlayDrawKinds[];
extern const size_t kPlayDrawKindCount;

// At start, after the asset set has loaded.
void PrepareMenuDrawing();
// While a chapter loads (each kind is prepared once per run).
void PreparePlayDrawing();
