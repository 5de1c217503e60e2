#include "platform/SystemServices.h"
#include "foundation/Profile.h"
#include "platform/FolderIterator.h"
#include "platform/Resources.h"
#include "support/ScopedGlobal.h"
#include "support/TempFolder.h"
#include "support/ZipFixtures.h" // SetFileDate

#include <cstring>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::pair<std::string, bool>> Listed(const char* theFolder)
{
    std::vector<std::pair<std::string, bool>> entries;
    CFolderIterator folder(theFolder);
    while (folder.Next())
        entries.emplace_back(folder.GetName().GetText(), folder.IsFolder());
    return entries;
}

std::string LocalText(time_t theTime, const char* theFormat)
{
    char text[64];
    tm local;
    localtime_r(&theTime, &local);
    std::strftime(text, sizeof text, theFormat, &local);
    return text;
}

} // namespace

TEST(ErrorText, TableAndUnknownCodes)
{
    EXPECT_STREQ(ErrorText(-43), "(-43) File not found");
    EXPECT_STREQ(ErrorText(0), "(0) No Error");
    EXPECT_STREQ(ErrorText(-1), "(-1) Unknown error code");
    EXPECT_STREQ(ErrorText(-5063), "(-5063) Attempt to log on server running on same machine");
    EXPECT_STREQ(ErrorText(-28), "(-28) AppleTalk is not open");
}

TEST(FileModDateText, LocalTimeOfTheFileOrNothing)
{
    TempFolder folder;
    const std::string file = folder.Write("dated", "x");
    const time_t known = 1236143167; // early March 2009
    SetFileDate(file, known);
    EXPECT_EQ(std::string(FileModDateText(file.c_str()).GetText()), LocalText(known, "%Y/%m/%d %H:%M:%S"));
    SetFileDate(folder.Path().string(), known);
    EXPECT_EQ(
        std::string(FileModDateText(folder.Path().c_str()).GetText()), LocalText(known, "%Y/%m/%d %H:%M:%S"));
    EXPECT_EQ(FileModDateText((folder / "missing").c_str()), Cstring(""));
    EXPECT_EQ(FileModDateText(""), Cstring(""));
    chmod(file.c_str(), 0);
    if (geteuid() != 0) {
        EXPECT_EQ(FileModDateText(file.c_str()), Cstring(""));
    }
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(FileModDateText((folder / "pipe").c_str()).Length(), 19) << "a pipe is not waited on";
}

TEST(BuildDateText, MonthNamesAndTheYear2000Limit)
{
    const time_t known = 1236143167;
    const std::string expected = LocalText(known, "%b ") + std::to_string(std::stoi(LocalText(known, "%d")))
        + LocalText(known, ", %Y, %H:%M:%S");
    EXPECT_EQ(std::string(BuildDateText(known).GetText()), expected);
    EXPECT_EQ(BuildDateText(915000000), Cstring("")) << "December 1998";
}

TEST(SystemServices, ProgramInfoAndSystemText)
{
    Cstring folder;
    Cstring version;
    Cstring buildDate;
    GetProgramInfo(folder, version, buildDate);
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    EXPECT_EQ(std::string(folder.GetText()), std::filesystem::path(self).parent_path().string());
    EXPECT_TRUE(version.IsNotEmpty()) << "the application's 'vers' 1, else the project version";
    EXPECT_EQ(std::strchr(buildDate.GetText(), ',') != nullptr, true) << buildDate.GetText();

    DescribeSystem();
    const std::string text = gSystemDescription.GetText();
    EXPECT_EQ(text.rfind("Linux ", 0), 0u) << text;
    EXPECT_EQ(text.back(), ')');

    TempFolder temp;
    CResFile resources(temp.Write("app.json", R"({ "vers": { "1": "9.8.7b2" } })").c_str());
    ASSERT_TRUE(resources.IsOpen());
    CScopedGlobal<CResFile*> installed(gAppResFile, &resources);
    GetProgramInfo(folder, version, buildDate);
    EXPECT_EQ(version, Cstring("9.8.7b2")) << "the version comes from the application's resources";
}

TEST(SystemServices, FileExistsResolvesShortReferences)
{
    TempFolder temp;
    const std::string file = temp.Write("Help/astart.htm", "");
    CScopedGlobal<Cstring> base(BaseProgramPath, temp.Path().c_str());
    EXPECT_TRUE(FileExists(file.c_str()));
    EXPECT_TRUE(FileExists("./Help/astart.htm"));
    EXPECT_TRUE(FileExists("./Help")) << "a folder exists too";
    EXPECT_FALSE(FileExists("./Help/missing.htm"));
    EXPECT_FALSE(FileExists((temp / "missing").c_str()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(nullptr));
}

TEST(FolderIterator, FiltersAndOrder)
{
    TempFolder folder;
    for (const char* name :
        { "b", ".hidden", ".DS_Store", ".localized", "Icon.app/x", "Kit.pkg/x", "a/x", "C.APP/x" })
        folder.Write(name, "");
    folder.Write("usr", "");
    std::filesystem::create_directory_symlink("a", folder / "link");
    EXPECT_EQ(Listed(folder.Path().c_str()),
        (std::vector<std::pair<std::string, bool>> { { "C.APP", false }, { "Icon.app", false },
            { "Kit.pkg", false }, { "a", true }, { "b", false }, { "link", false }, { "usr", false } }));
    EXPECT_TRUE(Listed((folder / "missing").c_str()).empty());
    EXPECT_TRUE(Listed((folder / "b").c_str()).empty());
}

TEST(FolderIterator, RootHidesTheSystemFolders)
{
    std::set<std::string> names;
    for (const auto& [name, isFolder] : Listed("/"))
        names.insert(name);
    for (const char* hidden : { "usr", "tmp", "private", "var", "etc", "dev", "bin", "sbin", "Volumes" })
        EXPECT_EQ(names.count(hidden), 0u) << hidden;
    for (const std::string& name : names)
        EXPECT_NE(name[0], '.');
}
