// The check of one draw from the game's generator per statement.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tools/drawcheck/DrawCheck.h"

namespace {

// The cases are written with "@G" for the game's generator and "@W" for the
// start of its wrappers' names, spelled out before they are checked, so that
// this file holds no statement with two draws of its own for a search of the
// tree to trip over.
std::string Spelled(std::string text)
{
    const std::pair<std::string, std::string> marks[] = {{"@G", "g_GameRand"}, {"@W", "Game"}};
    for (const auto& [mark, name] : marks)
        for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + name.size()))
            text.replace(at, mark.size(), name);
    return text;
}

TEST(DrawCheck, FlagsTwoDrawsInOneStatementOnly)
{
    struct SCase {
        const char* what;
        const char* source;
        std::vector<int> lines;   // lines of the statements flagged
    };
    const SCase cases[] = {
        {"one draw per statement", "const float r1 = @G.Real();\nconst float r2 = @G.Real();\n", {}},
        {"two in one expression", "float x = 0.4f * @G.Real() - @G.Real();\n", {1}},
        {"two arguments of one call", "Emit(@G.Integer(3),\n     @G.Real());\n", {2}},
        {"a braced list", "Vec3 v{@G.Real(), 0.0f,\n @G.Real()};\n", {2}},
        {"spaces around the dot, lines counted past them",
         "f(@G . Real(), @G.\n  Integer(2));\nx = @WReal() + @WReal();\n", {1, 3}},
        {"the wrappers", "Vec3 v{@WReal(), @WInteger(4)};\n", {1}},
        {"statements in one line", "a = @G.Real(); b = @G.Real();\n", {}},
        {"blocks split statements", "if (x) { a = @WReal(); } else { b = @WReal(); }\n", {}},
        {"comments and strings do not count",
         "// @G.Real() @G.Real()\nLog(\"@G.Real() @G.Real()\"); /* @WReal() */ "
         "a = @WReal();\n",
         {}},
        {"a raw string does not count", "auto s = R\"x(@G.Real(); @G.Real())x\" + @WReal();\n", {}},
        {"other names do not count", "x = my_GameRand.Real() + @G.RealValue() + @WRealm() + @WReal();\n",
         {}},
        {"a digit separator is no quote", "int n = 1'000; x = @G.Real() + @G.Real();\n", {1}},
        {"the generator itself, not drawn", "@G.Seed(1024); CRandomLock lock(@G);\n", {}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> lines;
        for (const SDrawFinding& f : FindDoubleDraws(Spelled(c.source))) lines.push_back(f.nLine);
        EXPECT_EQ(lines, c.lines);
    }
}

}  // namespace
