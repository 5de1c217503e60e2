#include "engine/Progress.h"
#include "engine/RecordingWindow.h"
#include "support/ScopedGlobal.h"
#include "support/TestHost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class ProgressDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        itsDisplay.SetWindow(&itsWindow);
        // The progress page as the update run sets it up.
        itsDisplay.SetProgressItems(169, 125, nullptr);
        itsDisplay.SetCounterItem(143, "File %d of %d");
        itsDisplay.SetNameItem(178);
    }
    CScopedGlobal<int32_t> itsAbort { gAbortUpdate, 0 };
    CTestHost itsHost;
    CRecordingWindow itsWindow;
    CProgressDisplay itsDisplay;
};

TEST_F(ProgressDisplay, FirstCallDrawsEveryItemThenOnlyWhatChanged)
{
    itsDisplay.Update("a", 0, 300, 0, 3);
    EXPECT_THAT(itsWindow.itsCalls,
        ElementsAre("value 169 0", "redraw 169", "text 125 0%", "redraw 125", "text 143 File 0 of 3",
            "redraw 143", "text 178 a", "redraw 178"));
    itsWindow.itsCalls.clear();
    itsDisplay.Update("a", 2, 300, 0, 3); // 0.66% is still 0%
    EXPECT_THAT(itsWindow.itsCalls, IsEmpty());
    itsDisplay.Update("A", 100, 300, 0, 3); // 33.3% truncates; the name differs only in case
    EXPECT_THAT(itsWindow.itsCalls, ElementsAre("value 169 33", "redraw 169", "text 125 33%", "redraw 125"));
    itsWindow.itsCalls.clear();
    itsDisplay.Update("b", 100, 300, 1, 3);
    EXPECT_THAT(
        itsWindow.itsCalls, ElementsAre("text 143 File 1 of 3", "redraw 143", "text 178 b", "redraw 178"));
}

TEST_F(ProgressDisplay, FormatsAndMissingItems)
{
    CProgressDisplay display;
    display.SetWindow(&itsWindow);
    display.SetProgressItems(0, 125, "%d percent");
    display.SetCounterItem(143, "");
    display.Update("a", 1, 2, 4, 9);
    EXPECT_THAT(itsWindow.itsCalls,
        ElementsAre("text 125 50 percent", "redraw 125", "text 143 4 of 9", "redraw 143"));

    itsWindow.itsCalls.clear();
    display.Update("b", 50, 0, 5, 9);
    EXPECT_THAT(itsWindow.TextsOf(125), ElementsAre("0 percent")) << "a zero total stays at zero";
}

} // namespace
