#include "app/UpdaterMain.h"
#include "engine/UpdateKit.h"
#include "engine/UpdaterGlobals.h"
#include "foundation/Profile.h"
#include "platform/Framework.h"
#include "platform/MessageBox.h"
#include "platform/PrintJob.h"
#include "platform/Resources.h"
#include "support/ScopedVariable.h"
#include "support/TempFolder.h"
#include "support/TestHost.h"
#include "ui/Gblwin.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Start-up writes process-wide state; each test starts from none.
class Startup : public testing::Test {
protected:
    void SetUp() override
    {
        ResetGlobals();
        // A kit without data.txt is reported in an alert; nobody needs to see it here.
        itsHost.itsAlertAnswer = [](const CAlert&) { return static_cast<int>(kResultOk); };
    }
    void TearDown() override
    {
        UpdaterCleanup();
        ResetGlobals();
    }

    static void ResetGlobals()
    {
        BaseProgramPath = "";
        MyFilesPath = "";
        gMyProjectsPath = "";
        gApplicationsFolder = "/Applications";
    }

    CUpdateKit Start(const std::string& theBundle)
    {
        StartupOptions options;
        options.itsBundlePath = theBundle.c_str();
        options.itsApplicationsFolder = (itsTemp / "Applications").c_str();
        return UpdaterStartup(0, options);
    }

    // A bundle whose STR# 10100 holds theText as text 10107, the folder prompt.
    static std::string PromptBundle(const std::string& theText)
    {
        return "{ \"STR#\": { \"10100\": [\"\", \"\", \"\", \"\", \"\", \"\", \"\", \"" + theText + "\"] } }";
    }

    CTestHost itsHost;
    TempFolder itsTemp;
    CScopedVariable itsConfig { "XDG_CONFIG_HOME", itsTemp / "config" };
};

} // namespace

TEST(UpdateKit, FindUpdateZipTakesOnlyNamesEndingInZip)
{
    TempFolder temp;
    temp.Write("notes.zip.txt", "");
    temp.Write("a.zipper", "");
    Cstring key;
    EXPECT_TRUE(FindUpdateZip(temp.Path().c_str(), key).IsEmpty());
    EXPECT_EQ(key.Length(), 26) << "the key text is built even when no archive is found";

    temp.Write("b.zip", "");
    temp.Write("c.ZIP", "");
    const Cstring found = FindUpdateZip(temp.Path().c_str(), key);
    EXPECT_EQ(std::string(found.GetText()), temp / "b.zip") << "the first in name order wins";
    // An upper-case ending is Startup.NamesAndSubstitutionsComeFromTheArchive's.
    EXPECT_TRUE(FindUpdateZip((temp / "missing").c_str(), key).IsEmpty());
}

TEST(UpdateKit, InstallNameDropsTheZipEndingOnly)
{
    EXPECT_STREQ(InstallNameFromZipPath("/x/v5.1.zip").GetText(), "v5.1");
    EXPECT_STREQ(InstallNameFromZipPath("Fix1.zip").GetText(), "Fix1");
    EXPECT_STREQ(InstallNameFromZipPath("/x.zip/archive").GetText(), "archive");
}

TEST(StartupFolders, BuildFolderIsCutBackToTheProject)
{
    const std::pair<const char*, const char*> cases[] = {
        { "/Users/x/Proj/build/Universal Build Settings/Release", "/Users/x/Proj" },
        { "/Users/x/Proj/build/Imported CodeWarrior Settings/build/Universal Build Settings",
            "/Users/x/Proj" },
        { "/opt/build/Patchwell", "/opt/build/Patchwell" },
    };
    for (const auto& [path, cut] : cases) {
        Cstring folder(path);
        CutBuildFolder(folder);
        EXPECT_STREQ(folder.GetText(), cut) << path;
    }
}

TEST_F(Startup, NamesAndSubstitutionsComeFromTheArchive)
{
    itsTemp.Write("kit/Spring Update.ZIP", "");
    itsTemp.Write("kit/My Projects/keep", "");
    const CUpdateKit kit = Start(itsTemp / "kit/");
    // The folders follow the updater's, its trailing separators cut.
    EXPECT_EQ(std::string(BaseProgramPath.GetText()), itsTemp / "kit");
    EXPECT_TRUE(gCurrentFolder == BaseProgramPath);
    EXPECT_EQ(std::string(gMyProjectsPath.GetText()), itsTemp / "kit/My Projects");
    EXPECT_EQ(std::string(gAppBundlePath.GetText()), itsTemp / "kit");
    EXPECT_EQ(std::string(kit.itsFolder.GetText()), itsTemp / "kit");
    EXPECT_EQ(std::string(kit.itsArchive.GetText()), itsTemp / "kit/Spring Update.ZIP");
    EXPECT_STREQ(kit.itsInstallName.GetText(), "Spring Update");
    EXPECT_EQ(kit.itsPassword.Length(), 26);
    EXPECT_EQ(gGlobalWin->GetKit().itsArchive, kit.itsArchive);

    EXPECT_STREQ(gProgramName.GetText(), "Patchwell Updater");
    Cstring text("|PROGNAME| - Install |ZIPNAME| now");
    ApplySubstitutions(text);
    EXPECT_STREQ(text.GetText(), "Patchwell Updater - Install Spring Update now");
    EXPECT_EQ(PointCloseness, 5000) << "defaults follow the framework's length scale";
}

TEST_F(Startup, NoArchiveLeavesTheNamesEmpty)
{
    itsTemp.Write("kit/readme.txt", "hello");
    const CUpdateKit kit = Start(itsTemp / "kit");
    EXPECT_FALSE(kit.HasArchive());
    EXPECT_TRUE(kit.itsInstallName.IsEmpty());
    EXPECT_EQ(kit.itsPassword.Length(), 26);
    // Without a "My Projects" beside it, the projects are in the documents.
    const char* documents = std::getenv("XDG_DOCUMENTS_DIR");
    ASSERT_NE(documents, nullptr) << "tests run with a private documents folder";
    EXPECT_EQ(std::string(gMyProjectsPath.GetText()), std::string(documents) + "/Patchwell");
}

TEST_F(Startup, MyFilesPathOverridesTheProjectsFolder)
{
    BaseProgramPath = "/base/";
    MyFilesPath = "%S";
    ApplyFolderOverrides();
    EXPECT_STREQ(gMyProjectsPath.GetText(), "/base/My Projects");
    EXPECT_STREQ(BaseProgramPath.GetText(), "/base");

    itsTemp.Write("mine/keep", "");
    MyFilesPath = (itsTemp / "mine").c_str();
    ApplyFolderOverrides();
    EXPECT_EQ(std::string(gMyProjectsPath.GetText()), itsTemp / "mine");

    MyFilesPath = (itsTemp / "not-there").c_str();
    ApplyFolderOverrides();
    EXPECT_EQ(std::string(gMyProjectsPath.GetText()), itsTemp / "mine") << "a missing folder is not taken";

    MyFilesPath = "%d";
    ApplyFolderOverrides();
    EXPECT_EQ(std::string(gMyProjectsPath.GetText()), itsTemp / "mine");

    BaseProgramPath = "/";
    ApplyFolderOverrides();
    EXPECT_STREQ(BaseProgramPath.GetText(), "/") << "a text that is only the separator keeps it";
}

TEST_F(Startup, PrinterIsTheNamedOneElseTheDefault)
{
    itsHost.itsPrinting.itsDefaultPrinter = "Office";
    itsHost.itsPrinting.itsNames = { "Studio" };
    Start(itsTemp / "kit");
    EXPECT_EQ(itsHost.itsPrinting.itsPrinter, "Office");
    UpdaterCleanup();

    ResetGlobals();
    itsHost.itsPrinting.itsPrinter = "";
    itsTemp.Write("kit/Patchwell Settings.txt", "PrinterName = Studio\n");
    Start(itsTemp / "kit");
    EXPECT_EQ(itsHost.itsPrinting.itsPrinter, "Studio");
    EXPECT_FALSE(gFramework.itsPrintJob->HasJobContext()) << "the job context is released again";
}

TEST_F(Startup, LanguageFileNamedInTheProfileComesBeforeTheApplication)
{
    // The file the settings name wins over the locale's.
    const CScopedVariable language("LANGUAGE", "de");
    itsTemp.Write("kit/Patchwell Settings.txt", "LanguageResFileName = \"Deutsch.json\"\nCDPath = /cd\n");
    itsTemp.Write("kit/Deutsch.json", PromptBundle("Ordner wählen:"));
    Start(itsTemp / "kit");
    ASSERT_NE(gLanguageResFile, nullptr);
    EXPECT_EQ(gLibraryResFile, nullptr);
    EXPECT_STREQ(LanguageResFileName.GetText(), "Deutsch.json");
    EXPECT_STREQ(LoadString(10107).GetText(), "Ordner wählen:");
    EXPECT_STREQ(LoadString(1002).GetText(), "Yes")
        << "what the language file lacks comes from the application";
    EXPECT_STREQ(CDPath.GetText(), "/cd");
}

TEST_F(Startup, LibraryFileWinsAndBrokenFilesAreDropped)
{
    itsTemp.Write("config/Patchwell/Patchwell Settings.txt", "LanguageResFileName = Broken.json\n");
    itsTemp.Write("kit/Broken.json", "{ \"STR#\": ");
    itsTemp.Write("kit/pw95lib1.dll", PromptBundle("From the library"));
    testing::internal::CaptureStderr();
    Start(itsTemp / "kit");
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(gLanguageResFile, nullptr) << "a file that does not open is dropped";
    ASSERT_NE(gLibraryResFile, nullptr);
    EXPECT_NE(message.find("Broken.json"), std::string::npos);
    EXPECT_STREQ(LoadString(10107).GetText(), "From the library");
}
