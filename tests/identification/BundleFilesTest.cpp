#include "identification/BundleFiles.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Collected(const std::string& theFolder)
{
    CStringArray files;
    CollectFiles(files, theFolder.c_str());
    std::vector<std::string> names;
    for (int i = 0; i < files.GetCount(); ++i)
        names.push_back(files.At(i).GetText() + theFolder.size() + 1);
    return names;
}

std::string Executable(const TempFolder& theFolder, const std::string& thePlist)
{
    return GetBundleExecutable(theFolder.Write("Info.plist", thePlist).c_str()).GetText();
}

} // namespace

TEST(CollectFiles, WalksTheBundleDepthFirstWithoutHiddenNamesOrInnerBundles)
{
    TempFolder folder;
    folder.Write("A.app/Contents/Info.plist", "");
    folder.Write("A.app/Contents/.DS_Store", "");
    folder.Write("A.app/Contents/.hidden", "");
    folder.Write("A.app/Contents/MacOS/A", "");
    folder.Write("A.app/Contents/Resources/en.lproj/x.strings", "");
    folder.Write("A.app/Contents/Resources/Tool.app/Contents/MacOS/Tool", "");
    folder.Write("A.app/Contents/Resources/Kit.PKG/file", "");
    std::filesystem::create_directories(folder / "A.app/Contents/Empty");
    EXPECT_EQ(Collected(folder / "A.app"),
        (std::vector<std::string> { "Contents/Info.plist", "Contents/MacOS/A", "Contents/Resources/Kit.PKG",
            "Contents/Resources/Tool.app", "Contents/Resources/en.lproj/x.strings" }));

    // Symbolic links are listed, not entered.
    EXPECT_TRUE(Collected(folder / "missing").empty());
    folder.Write("B.app/Contents/MacOS/B", "b");
    std::filesystem::create_directory_symlink("..", folder / "B.app/Contents/loop");
    std::filesystem::create_symlink("nowhere", folder / "B.app/Contents/dangling");
    EXPECT_EQ(Collected(folder / "B.app"),
        (std::vector<std::string> { "Contents/MacOS/B", "Contents/dangling", "Contents/loop" }));
}

TEST(GetBundleExecutable, IndentationAndTagRules)
{
    TempFolder folder;
    EXPECT_EQ(Executable(folder, "\t\t<key>CFBundleExecutable</key>\n   <string>Patchwell 5</string>\n"),
        "Patchwell 5");
    EXPECT_EQ(
        Executable(folder, "<KEY>cfbundleexecutable</KEY>\n\n<array/>\n<STRING>Late</STRING>   \n"), "Late");
    EXPECT_EQ(Executable(folder, "<key>CFBundleExecutable</key>\n<string></string>\n"), "");
    // Only spaces are trimmed at the end: a tab hides the first value.
    EXPECT_EQ(
        Executable(folder, "<key>CFBundleExecutable</key>\n<string>Tab</string>\t\n<string>Next</string>\n"),
        "Next");
    // Key and value on one line, a value before the key, no key at all.
    EXPECT_EQ(Executable(folder, "<key>CFBundleExecutable</key><string>One</string>\n"), "");
    EXPECT_EQ(Executable(folder, "<string>Early</string>\n<key>CFBundleExecutable</key>\n"), "");
    EXPECT_EQ(Executable(folder, "<key>CFBundleName</key>\n<string>Name</string>\n"), "");
    EXPECT_EQ(GetBundleExecutable((folder / "missing").c_str()), Cstring());
    // Long lines are read in pieces.
    EXPECT_EQ(
        Executable(folder, std::string(5000, 'x') + "\n<key>CFBundleExecutable</key>\n<string>P</string>\n"),
        "P");
}
