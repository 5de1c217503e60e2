// Printing on the Qt host: documents into PDF files, and what happens where
// no printer is installed.

#include "QtFixture.h"
#include "platform/PrintJob.h"
#include "platform/TextPrinter.h"
#include "platform/mdialog.h"
#include "support/TempFolder.h"

#include <QDialog>

#include <regex>
#include <string>

namespace {

int PdfPageCount(const std::string& thePath)
{
    const std::string pdf = ReadWholeFile(thePath);
    const std::regex page("/Type\\s*/Page[^s]");
    return static_cast<int>(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), {}));
}

class QtPrint : public QtTest {
protected:
    TempFolder itsTemp;
    CPrintJob itsJob;
};

TEST_F(QtPrint, TextPrintsIntoAPdfWithItsPages)
{
    itsJob.SetOutputFile((itsTemp / "short.pdf").c_str());
    ASSERT_EQ(PrintText(itsJob, "readme.txt", "Spring Update for Patchwell 5\r\n\r\nVersion 5.0.2."), 0);
    EXPECT_EQ(itsJob.GetPageNumber(), 1);
    EXPECT_EQ(PdfPageCount(itsTemp / "short.pdf"), 1);

    std::string longText;
    for (int i = 1; i <= 300; ++i)
        longText += "Line " + std::to_string(i) + " of the readme, long enough to show on paper.\r\n";
    itsJob.SetOutputFile((itsTemp / "long.pdf").c_str());
    ASSERT_EQ(PrintText(itsJob, "readme.txt", longText.c_str()), 0);
    EXPECT_GT(itsJob.GetPageNumber(), 2);
    EXPECT_EQ(PdfPageCount(itsTemp / "long.pdf"), itsJob.GetPageNumber());
    int horizontal = 0;
    int vertical = 0;
    itsJob.GetResolution(horizontal, vertical);
    EXPECT_GE(horizontal, 300) << "printers draw at their own resolution";
    EXPECT_GT(itsJob.GetPageRect().Height(), itsJob.GetPageRect().Width());
}

TEST_F(QtPrint, WithoutAPrinterNothingWaits)
{
    CDialog dialog(150);
    if (itsJob.FillPrinterPopup(dialog, 1) == 0)
        GTEST_SKIP() << "this machine has a printer";
    itsJob.Release();
    itsJob.SetPrinter("Office");
    ASSERT_EQ(itsJob.Prepare(), 0);
    itsJob.SetPrinter("Office");
    itsJob.Release();
    EXPECT_STREQ(itsJob.GetPrinterName().GetText(), "Office") << "stored before the job, not after";

    // The print dialog still offers a file; cancelled, it leaves no job.
    bool bAsked = false;
    Soon([&bAsked] {
        if (auto* asking = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            bAsked = true;
            asking->reject();
        }
    });
    EXPECT_EQ(itsJob.BeginDocument(), 1);
    EXPECT_TRUE(bAsked);
    EXPECT_FALSE(itsJob.HasJobContext());
}

} // namespace
