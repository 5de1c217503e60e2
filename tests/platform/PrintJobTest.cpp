// The print job's states against a scripted printer. Start-up's choice of
// printer is Startup.PrinterIsTheNamedOneElseTheDefault's.

#include "platform/PrintJob.h"
#include "platform/DrawSurface.h"
#include "platform/Framework.h"
#include "platform/PrinterView.h"
#include "platform/TextPrinter.h"
#include "platform/mdialog.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

class PrintJob : public testing::Test {
protected:
    void SetUp() override
    {
        itsScript.itsDefaultPrinter = "Office";
        itsScript.itsNames = { "Hall" };
    }

    CTestHost itsHost;
    CPrinterScript& itsScript = itsHost.itsPrinting;
    CPrintJob itsJob;
};

TEST_F(PrintJob, ADocumentOfPagesRunsThroughItsStates)
{
    EXPECT_EQ(itsJob.BeginDocument(), 0);
    EXPECT_TRUE(itsJob.HasJobContext());
    EXPECT_EQ(itsJob.BeginPage(), 0);
    EXPECT_EQ(itsJob.BeginPage(), 0); // one page, not two
    EXPECT_EQ(PaintSurfaceOf(&itsJob), itsJob.PageSurface());
    EXPECT_EQ(itsJob.EndPage(), 0);
    EXPECT_EQ(PaintSurfaceOf(&itsJob), nullptr);
    EXPECT_EQ(itsJob.BeginPage(), 0);
    EXPECT_EQ(itsJob.EndDocument(), 0); // ends the open page first
    EXPECT_EQ(itsJob.GetPageNumber(), 2);
    EXPECT_EQ(itsScript.itsCalls,
        (Calls { "dialog", "document:Untitled Document", "page", "end page", "page", "end page",
            "end document" }));
    EXPECT_FALSE(itsJob.IsDocumentOpen());
    itsJob.Release();
    EXPECT_FALSE(itsJob.HasJobContext());
}

TEST_F(PrintJob, EndingWhatIsNotOpenOrCancellingAnswersOneAndChangesNothing)
{
    EXPECT_EQ(itsJob.EndDocument(), 1);
    EXPECT_EQ(itsJob.EndPage(), 1);
    EXPECT_EQ(itsJob.BeginPage(), 1); // no document
    EXPECT_TRUE(itsScript.itsCalls.empty());
    EXPECT_FALSE(itsJob.HasJobContext());

    itsScript.bAccept = false;
    EXPECT_EQ(itsJob.BeginDocument(), 1);
    EXPECT_FALSE(itsJob.HasJobContext()) << "a cancelled dialog leaves no job context";
    EXPECT_EQ(itsJob.PageSetup(), 1);
    EXPECT_FALSE(itsJob.HasJobContext());
    EXPECT_EQ(itsScript.itsCalls, (Calls { "dialog", "setup" }));
}

TEST_F(PrintJob, PrinterNameIsStoredBeforeAJobAndCheckedDuringOne)
{
    itsJob.SetPrinter("Nowhere");
    EXPECT_STREQ(itsJob.GetPrinterName().GetText(), "Nowhere");
    ASSERT_EQ(itsJob.Prepare(), 0);
    itsJob.SetPrinter("Basement");
    EXPECT_STREQ(itsJob.GetPrinterName().GetText(), "Nowhere");
    itsJob.SetPrinter("Hall");
    EXPECT_STREQ(itsJob.GetPrinterName().GetText(), "Hall");
    itsJob.SetDocumentName("Spring readme");
    EXPECT_EQ(itsJob.BeginDocument(), 0);
    EXPECT_EQ(itsScript.itsCalls.back(), "document:Spring readme");
}

TEST_F(PrintJob, WithoutPrintingOrPrintersTheStatusSaysSo)
{
    CDialog dialog(150);
    itsScript.itsNames.clear();
    itsScript.itsDefaultPrinter.clear();
    EXPECT_EQ(itsJob.FillPrinterPopup(dialog, 1), kPrintNoPrinter);
    EXPECT_STREQ(itsJob.DefaultPrinterName().GetText(), "Default Printer");

    itsScript.bCanPrint = false;
    CPrintJob cannot;
    EXPECT_EQ(cannot.Prepare(), kPrintNoPageFormat);
    EXPECT_EQ(cannot.BeginDocument(), 1);
    EXPECT_EQ(cannot.PageSetup(), 1);
    int horizontal = 0;
    int vertical = 0;
    cannot.GetResolution(horizontal, vertical);
    EXPECT_EQ(horizontal, 72);
    EXPECT_TRUE(cannot.GetPageRect().IsEmpty());
}

TEST_F(PrintJob, TextIsWrappedAtBlanksAndBrokenIntoPages)
{
    // Inside its margins a page holds eight lines of twelve characters.
    const Cstring text = "one\r\ntwo\rthree\n\tfour five six seven eight\nabcdefghijklmnopqrstuvwxyz\n7\n8";
    ASSERT_EQ(PrintText(itsJob, "readme.txt", text), 0);
    EXPECT_EQ(itsJob.GetPageNumber(), 2);
    const std::vector<std::string> printed = itsScript.itsPage.itsLines;
    EXPECT_EQ(printed,
        (std::vector<std::string> { "one", "two", "three", " four five", "six seven", "eight", "abcdefghijkl",
            "mnopqrstuvwx", "yz", "7", "8" }));
    EXPECT_EQ(itsScript.itsCalls.front(), "dialog");
    EXPECT_EQ(itsScript.itsCalls[1], "document:readme.txt");

    itsScript.bAccept = false;
    CPrintJob cancelled;
    EXPECT_EQ(PrintText(cancelled, "readme.txt", text), 1);
    EXPECT_FALSE(cancelled.HasJobContext());
}

} // namespace
