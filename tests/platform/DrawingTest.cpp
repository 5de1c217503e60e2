// Drawing through a window's painting pass, and the memory and off-screen
// windows with their painting assertions.

#include "platform/Resources.h"
#include "platform/mMemWin.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

namespace {

using DrawingTest = TestHostFixture;

TEST_F(DrawingTest, OperationsDrawOnlyInsideAPassWithTheirToolSelected)
{
    CWindow window;
    EXPECT_DEATH(window.BeginPaint(0), "failed assertion `FALSE'") << "nothing to draw on before Create";
    ASSERT_TRUE(window.Create(nullptr));
    auto& view = *static_cast<CRecordingWindowView*>(window.GetView());
    const CColor grey { 192, 192, 192 };
    window.SelectBrush(&grey);
    window.FillRect({ 0, 0, 10, 10 });
    EXPECT_TRUE(view.itsDrawing.itsCalls.empty()) << "nothing outside a painting pass";

    window.BeginPaint(0);
    window.FillRect({ 0, 0, 10, 20 });
    window.SetRasterMode(kRasterXor);
    window.FillRect({ 0, 0, 10, 20 });
    window.FrameRect({ 0, 0, 5, 5 }); // no pen selected
    const CColor black;
    window.SelectPen(&black);
    window.MoveTo(1, 2);
    window.LineTo(30, 2);
    window.LineTo(30, 40);
    window.DrawText(4, 5, "Fix1");
    const CFontSpec geneva { "Geneva", 1, 9 };
    window.SelectFont(&geneva);
    window.DrawText(4, 25, "bold");
    EXPECT_EQ(window.TextWidth("four"), 28);
    EXPECT_TRUE(window.DrawPicture(233, { 0, 0, 120, 360 }));
    EXPECT_FALSE(window.DrawPicture(4711, { 0, 0, 1, 1 }));
    window.BeginPaint(0); // nested passes draw on the same surface
    EXPECT_EQ(window.GetPaintDepth(), 2);
    window.EndPaint();
    EXPECT_TRUE(view.itsCalls.empty() || view.itsCalls.back() != "drawn")
        << "shown only when the last pass ends";
    window.EndPaint();
    EXPECT_EQ(window.GetPaintDepth(), 0);
    EXPECT_DEATH(window.EndPaint(), "failed assertion `dccount>0'") << "one EndPaint too many";
    EXPECT_EQ(view.itsCalls.back(), "drawn");
    EXPECT_EQ(view.itsDrawing.itsCalls,
        (std::vector<std::string> { "fill 0,0 20x10 192/192/192", "xor 0,0 20x10 192/192/192",
            "line 1,2 30,2", "line 30,2 30,40", "text 4,5 Fix1 Helvetica 12", "text 4,25 bold Geneva 9",
            "picture 0,0 360x120" }));
}

TEST_F(DrawingTest, MemoryWindowDrawsIntoItsImage)
{
    CMemWin memory(64, 32);
    ASSERT_NE(memory.GetOffscreen(), nullptr);
    EXPECT_EQ(memory.GetFrame(), (CRect { 0, 0, 32, 64 }));
    memory.BeginPaint(0);
    const CColor red { 255, 0, 0 };
    memory.SelectBrush(&red);
    memory.FillRect({ 1, 1, 2, 2 });
    memory.EndPaint();
    EXPECT_EQ(static_cast<CRecordingDrawContext*>(memory.GetOffscreen())->itsCalls.size(), 1u);
    EXPECT_DEATH(memory.EndPaint(), "failed assertion `dccount>0'");
}

} // namespace
