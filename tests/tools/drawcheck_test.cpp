// The check of one draw from the game's generator per statement.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/drawcheck/DrawCheck.h"

namespace {

TEST(DrawCheck, FlagsTwoDrawsInOneStatementOnly)
{
    struct SCase {
        const char* what;
        const char* source;
        std::vector<int> lines;   // lines of the statements flagged
    };
    const SCase cases[] = {
        {"one draw per statement", "const float r1 = g_GameRand.Real();\nconst float r2 = g_GameRand.Real();\n", {}},
        {"two in one expression", "float x = 0.4f * g_GameRand.Real() - g_GameRand.Real();\n", {1}},
        {"two arguments of one call", "Emit(g_GameRand.Integer(3),\n     g_GameRand.Real());\n", {2}},
        {"a braced list", "Vec3 v{g_GameRand.Real(), 0.0f,\n g_GameRand.Real()};\n", {2}},
        {"spaces around the dot, lines counted past them",
         "f(g_GameRand . Real(), g_GameRand.\n  Integer(2));\nx = GameReal() + GameReal();\n", {1, 3}},
        {"the wrappers", "Vec3 v{GameReal(), GameInteger(4)};\n", {1}},
        {"statements in one line", "a = g_GameRand.Real(); b = g_GameRand.Real();\n", {}},
        {"blocks split statements", "if (x) { a = GameReal(); } else { b = GameReal(); }\n", {}},
        {"comments and strings do not count",
         "// g_GameRand.Real() g_GameRand.Real()\nLog(\"g_GameRand.Real() g_GameRand.Real()\"); /* GameReal() */ "
         "a = GameReal();\n",
         {}},
        {"a raw string does not count", "auto s = R\"x(g_GameRand.Real(); g_GameRand.Real())x\" + GameReal();\n", {}},
        {"other names do not count", "x = my_GameRand.Real() + g_GameRand.RealValue() + GameRealm() + GameReal();\n",
         {}},
        {"a digit separator is no quote", "int n = 1'000; x = g_GameRand.Real() + g_GameRand.Real();\n", {1}},
        {"the generator itself, not drawn", "g_GameRand.Seed(1024); CRandomLock lock(g_GameRand);\n", {}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> lines;
        for (const SDrawFinding& f : FindDoubleDraws(c.source)) lines.push_back(f.nLine);
        EXPECT_EQ(lines, c.lines);
    }
}

}  // namespace
