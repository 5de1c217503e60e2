#include "app/UpdaterMain.h"
#include "engine/UpdaterGlobals.h"
#include "foundation/Profile.h"
#include "platform/Resources.h"
#include "support/ScopedGlobal.h"
#include "support/ScopedVariable.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Start-up with a kit whose program folder holds a profile and resource files.
class StartupResources : public testing::Test {
protected:
    void TearDown() override { UpdaterCleanup(); }

    CScopedGlobal<Cstring> itsBase { BaseProgramPath, "" };
    CScopedGlobal<Cstring> itsProjects { gMyProjectsPath, "" };

    void Start()
    {
        StartupOptions options;
        options.itsBundlePath = (itsTemp / "kit").c_str();
        options.itsApplicationsFolder = (itsTemp / "Applications").c_str();
        UpdaterStartup(0, options);
    }

    // A bundle whose STR# 10100 holds theText as text 10107, the folder prompt.
    static std::string PromptBundle(const std::string& theText)
    {
        return "{ \"STR#\": { \"10100\": [\"\", \"\", \"\", \"\", \"\", \"\", \"\", \"" + theText + "\"] } }";
    }

    TempFolder itsTemp;
    CScopedVariable itsConfig { "XDG_CONFIG_HOME", itsTemp / "config" };
};

} // namespace

TEST_F(StartupResources, LanguageFileNamedInTheProfileComesBeforeTheApplication)
{
    // The file the settings name wins over the locale's.
    const CScopedVariable language("LANGUAGE", "de");
    itsTemp.Write("kit/Patchwell Settings.txt", "LanguageResFileName = \"Deutsch.json\"\nCDPath = /cd\n");
    itsTemp.Write("kit/Deutsch.json", PromptBundle("Ordner wählen:"));
    Start();
    ASSERT_NE(gLanguageResFile, nullptr);
    EXPECT_EQ(gLibraryResFile, nullptr);
    EXPECT_STREQ(LanguageResFileName.GetText(), "Deutsch.json");
    EXPECT_STREQ(LoadString(10107).GetText(), "Ordner wählen:");
    EXPECT_STREQ(LoadString(1002).GetText(), "Yes")
        << "what the language file lacks comes from the application";
    EXPECT_STREQ(CDPath.GetText(), "/cd");
}

TEST_F(StartupResources, LibraryFileWinsAndBrokenFilesAreDropped)
{
    itsTemp.Write("config/Patchwell/Patchwell Settings.txt", "LanguageResFileName = Broken.json\n");
    itsTemp.Write("kit/Broken.json", "{ \"STR#\": ");
    itsTemp.Write("kit/pw95lib1.dll", PromptBundle("From the library"));
    testing::internal::CaptureStderr();
    Start();
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(gLanguageResFile, nullptr) << "a file that does not open is dropped";
    ASSERT_NE(gLibraryResFile, nullptr);
    EXPECT_NE(message.find("Broken.json"), std::string::npos);
    EXPECT_STREQ(LoadString(10107).GetText(), "From the library");
}
