// The game itself, run headless from the built data.dll alone: no scene it
// reaches may ask for a resource the library lacks.
#include "assets_fixture.h"
#include "tests/support/TempHome.h"

using namespace assets;

namespace {

TEST(HeadlessRun, NoSceneAsksForAMissingResource)
{
    const std::string game = BinDir() + "/korvo";
    if (!std::filesystem::exists(game)) GTEST_SKIP() << "the game is not built yet";

    const CTempHome temp("mz-run", false);
    const std::filesystem::path home = temp.Path();
    std::filesystem::copy_file(DataDll(), home / "data.dll");
    std::ofstream(home / "critical.ini") << "scorename,TESTER\n";

    // Start-up loading, the whole title loop and into the main menu.
    std::string out;
    int rc = RunCommand(Quote(game) + " --headless --unpaced --frames 2400 --home " + Quote(home.string()), &out);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_EQ(out.find("Undefined Resource"), std::string::npos) << out;
    EXPECT_EQ(out.find("Damaged Resource"), std::string::npos) << out;
}

}  // namespace
