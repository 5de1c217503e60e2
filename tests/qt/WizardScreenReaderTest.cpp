// The real updater heard through the accessibility bus, as a screen reader
// hears it (accessible_tree.py): each page's roles and names, the bar's value
// during a run and the window's icon.

#include "WizardFixture.h"

#include <cstdlib>

namespace {

using WizardScreenReader = WizardWindow;

TEST_F(WizardScreenReader, HearsEveryPageByItsRolesAndNames)
{
    if (!std::filesystem::exists("/usr/bin/python3"))
        GTEST_SKIP() << "python3 is not installed";
    Install("Patchwell 5");
    AddLargeEntry(); // a run long enough to hear the bar move
    const std::string kit = MakeKit();
    const std::string tree = std::string(PW_SCREENSHOT_DIR) + "/accessible-tree.txt";
    std::filesystem::create_directories(PW_SCREENSHOT_DIR);
    const ProgramRun walk = RunProgram("timeout -s KILL 280 /usr/bin/python3 "
        + ShellQuote(std::string(std::getenv("PW_SOURCE_DIR")) + "/tests/qt/accessible_tree.py") + " "
        + ProgramFromEnvironment("PW_UPDATER") + " " + ShellQuote(kit) + " "
        + ShellQuote(itsTemp / "Applications") + " " + ShellQuote(tree) + " 2>&1");
    if (walk.status == 77)
        GTEST_SKIP() << walk.output;
    EXPECT_EQ(walk.status, 0) << walk.output << "the tree as heard is in " << tree;
}

} // namespace
