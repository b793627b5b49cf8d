// The check behind the rule "one draw from the game's generator per
// statement": the order in which the operands of one expression or the
// arguments of one call are evaluated is unspecified, so two draws in one
// statement could come out in a different order on another compiler and a
// replay would no longer repeat the game.
#pragma once

#include <string>
#include <vector>

struct SDrawFinding {
    int nLine = 0;       // the line where the statement's second draw stands
    int nDraws = 0;      // draws in the statement
};

// Statements of C++ source text (split at ';', '{' and '}', outside comments,
// string and character literals) holding two or more draws: calls of Real
// or Integer on the game's generator g_GameRand, or of its wrappers (the
// functions named Game followed by Real or Integer).
std::vector<SDrawFinding> FindDoubleDraws(const std::string& source);
