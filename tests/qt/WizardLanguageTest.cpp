// The user's locale picks the language: the window and the console speak
// German with LANGUAGE=de, from the German file that a build and a kit carry.

#include "WizardFixture.h"
#include "support/ScopedVariable.h"

TEST_F(WizardWindow, GermanLocaleSpeaksGermanInTheWindowAndOnTheConsole)
{
    const CScopedVariable language("LANGUAGE", "de");
    Install("Patchwell 5");
    CGlobalWin& window = Open(false);
    ASSERT_EQ(window.GetCurrentPage(), kPageFailed);
    EXPECT_EQ(Text(kItemMessage), "Es gibt nichts zu installieren");
    auto* heading = qobject_cast<QLabel*>(Item(188));
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->text().toStdString(), "Das Update wurde nicht installiert.");
    Shoot(Window(), "de-157-failed");

    // The kit's own updater finds the German file beside itself.
    const ProgramRun run = RunProgram("LANGUAGE=de " + ShellQuote(itsTemp / "kit/patchwell-updater")
        + " --apply " + ShellQuote(Installed()));
    EXPECT_EQ(run.status, 3) << run.output;
    EXPECT_NE(run.output.find("in „" + itsTemp / "kit" + "“ wurde kein Update-Archiv (.zip-Datei) gefunden."),
        std::string::npos)
        << run.output;
}
