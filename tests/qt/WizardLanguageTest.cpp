// The user's locale picks the language: the window and the console speak
// German with LANGUAGE=de, from the German file that a build and a kit carry.

#include "WizardFixture.h"
#include "support/ScopedVariable.h"

TEST_F(WizardWindow, GermanLocaleSpeaksGermanInTheWindowAndOnTheConsole)
{
    const CScopedVariable language("LANGUAGE", "de");
    Install("Patchwell 5");
    CGlobalWin& window = Open(false);
    ASSERT_EQ(window.GetCurrentPage(), kPageKit);
    auto* button = qobject_cast<QPushButton*>(Item(196));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text().toStdString(), "Update-Paket öffnen…");
    Shoot(Window(), "de-158-kit");

    // The kit's own updater finds the German file beside itself.
    const ProgramRun run = RunProgram("LANGUAGE=de " + ShellQuote(itsTemp / "kit/patchwell-updater")
        + " --apply " + ShellQuote(Installed()));
    EXPECT_EQ(run.status, 3) << run.output;
    EXPECT_NE(run.output.find("in „" + itsTemp / "kit" + "“ wurde kein Update-Archiv (.zip-Datei) gefunden."),
        std::string::npos)
        << run.output;
}
