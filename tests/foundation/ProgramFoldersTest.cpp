#include "foundation/ProgramFolders.h"
#include "foundation/ImageFileKind.h"
#include "foundation/Profile.h"
#include "support/ScopedGlobal.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ProgramFolders : public testing::Test {
protected:
    CScopedGlobal<Cstring> itsBase { BaseProgramPath, "/Apps/Tool" };
    CScopedGlobal<Cstring> itsProjects { gMyProjectsPath, "/Apps/Tool/My Projects" };

    static std::string Relative(const char* thePath) { return MakeRelativePath(thePath).GetText(); }
    static std::string Absolute(const char* thePath) { return MakeAbsolutePath(thePath).GetText(); }
};

} // namespace

TEST_F(ProgramFolders, RelativeReferencesNeedTheSeparatorAfterTheFolder)
{
    EXPECT_EQ(Relative("/Apps/Tool/My Projects/Quilt 1"), "./My Library/Quilt 1");
    EXPECT_EQ(Relative("/apps/tool/my projects/Quilt 1"), "./My Library/Quilt 1") << "case is ignored";
    EXPECT_EQ(Relative("/Apps/Tool/Help/a.htm"), "./Help/a.htm");
    EXPECT_EQ(Relative("/Apps/Tool/My Projects"), "./My Projects")
        << "the projects folder itself is in the program folder";
    EXPECT_EQ(Relative("/Apps/Tool/My ProjectsOld/x"), "./My ProjectsOld/x");
    EXPECT_EQ(Relative("/Apps/Tool"), "/Apps/Tool");
    EXPECT_EQ(Relative("/Apps/Toolbox/x"), "/Apps/Toolbox/x");
    EXPECT_EQ(Relative("/Other/x"), "/Other/x");

    gMyProjectsPath = "/Users/me/Documents/Patchwell";
    EXPECT_EQ(Relative("/Users/me/Documents/Patchwell"), "/Users/me/Documents/Patchwell");
}

TEST_F(ProgramFolders, AbsolutePathsResolveEveryPrefix)
{
    EXPECT_EQ(Absolute("./my library/x"), "/Apps/Tool/My Projects/x");
    EXPECT_EQ(Absolute("./My Projects/a/b"), "/Apps/Tool/My Projects/a/b");
    EXPECT_EQ(Absolute("./My Library//x"), "/Apps/Tool/My Projects/x");
    EXPECT_EQ(Absolute("./Fabrics/x"), "/Apps/Tool/Fabrics/x");
    EXPECT_EQ(Absolute(".hidden"), "/Apps/Tool/hidden");
    EXPECT_EQ(Absolute("./My Library/"), "/Apps/Tool/My Library/")
        << "nothing after the prefix: not the projects folder";
    EXPECT_EQ(Absolute("/Apps/Tool/./x"), "/Apps/Tool/./x");
    EXPECT_EQ(Absolute("plain"), "plain");
    EXPECT_EQ(Absolute(""), "");
    EXPECT_EQ(Absolute(nullptr), "");
    EXPECT_EQ(Absolute(MakeRelativePath("/Apps/Tool/My Projects/q").GetText()), "/Apps/Tool/My Projects/q");

    Cstring old("a\\b\\c");
    FixSeparators(old);
    EXPECT_STREQ(old.GetText(), "a/b/c");
}

TEST(ProgramFolderFiles, MakeFoldersCreatesTheChain)
{
    TempFolder temp;
    const std::string chain = temp / "A/B/C/";
    std::filesystem::create_directory(temp / "A");
    EXPECT_TRUE(MakeFolders(chain.c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(temp / "A/B/C"));
    EXPECT_TRUE(MakeFolders(chain.c_str())) << "existing folders are fine";
    EXPECT_TRUE(MakeFolders((temp / "X//Y").c_str())) << "a doubled separator counts as one";
    EXPECT_TRUE(std::filesystem::is_directory(temp / "X/Y"));

    temp.Write("file", "");
    EXPECT_FALSE(MakeFolders((temp / "file").c_str())) << "a file is not a folder";
    EXPECT_FALSE(MakeFolders((temp / "file/sub").c_str()));
    EXPECT_FALSE(MakeFolders(""));
    EXPECT_FALSE(MakeFolders(nullptr));
}

TEST(ProgramFolderFiles, UsableFoldersAndTheProjectsFolderRule)
{
    TempFolder temp;
    temp.Write("file", "");
    EXPECT_FALSE(IsUsablePath(nullptr));
    EXPECT_FALSE(IsUsablePath((temp / "missing").c_str()));
    EXPECT_FALSE(IsUsablePath((temp / "file").c_str()));
    EXPECT_TRUE(IsUsablePath(temp.Path().c_str()));

    const Cstring program(temp.Path().c_str());
    EXPECT_EQ(std::string(ChooseProjectsFolder(program, "/docs").GetText()), "/docs/Patchwell");
    EXPECT_EQ(std::string(ChooseProjectsFolder(program, "").GetText()), temp / "My Projects")
        << "without a documents folder the program folder's stays";
    std::filesystem::create_directory(temp / "My Projects");
    EXPECT_EQ(std::string(ChooseProjectsFolder(program, "/docs").GetText()), temp / "My Projects");

    if (geteuid() != 0) { // the super-user may write anywhere
        chmod((temp / "My Projects").c_str(), 0555);
        EXPECT_FALSE(IsUsablePath((temp / "My Projects").c_str())) << "a locked folder";
        EXPECT_EQ(std::string(ChooseProjectsFolder(program, "/docs").GetText()), "/docs/Patchwell");
    }
}

TEST(ImageFileKinds, ByExtensionAndFirstBytes)
{
    TempFolder temp;
    EXPECT_EQ(GetImageFileKind(temp.Write("good.bmp", "BM....").c_str()), kBmpImage);
    EXPECT_EQ(GetImageFileKind(temp.Write("x.BMP", "PNG...").c_str()), kNotAnImage);
    EXPECT_EQ(GetImageFileKind((temp / "missing.bmp").c_str()), kBmpImage) << "unreadable: the name decides";
    EXPECT_EQ(GetImageFileKind(temp.Write("short.bmp", "B").c_str()), kNotAnImage);
    EXPECT_EQ(GetImageFileKind(temp.Write("a.gif", "GIF89a").c_str()), kGifImage);
    EXPECT_EQ(GetImageFileKind(temp.Write("b.Gif", "GIX89a").c_str()), kNotAnImage);
    EXPECT_EQ(GetImageFileKind(temp.Write("c.jpeg", "").c_str()), kJpegImage);
    // Only plain files are opened: a pipe would wait for a writer that never comes.
    ASSERT_EQ(mkfifo((temp / "pipe.gif").c_str(), 0644), 0);
    EXPECT_EQ(GetImageFileKind((temp / "pipe.gif").c_str()), kGifImage) << "a pipe is judged by its name";
    std::filesystem::create_directory(temp / "folder.gif");
    EXPECT_EQ(GetImageFileKind((temp / "folder.gif").c_str()), kGifImage) << "and so is a folder";
    EXPECT_EQ(GetImageFileKind("d.JPG"), kJpegImage);
    EXPECT_EQ(GetImageFileKind("e.png"), kPngImage);
    EXPECT_EQ(GetImageFileKind("f.tif"), kTiffImage);
    EXPECT_EQ(GetImageFileKind("f.TIFF"), kTiffImage);
    EXPECT_EQ(GetImageFileKind("g.pict"), kPictImage);
    EXPECT_EQ(GetImageFileKind("g.pct"), kPictImage);
    EXPECT_EQ(GetImageFileKind("h.pngx"), kNotAnImage);
    EXPECT_EQ(GetImageFileKind("png"), kNotAnImage);
    EXPECT_EQ(GetImageFileKind("folder.png/file"), kNotAnImage);
    EXPECT_EQ(GetImageFileKind(""), kNotAnImage);
    EXPECT_EQ(GetImageFileKind(nullptr), kNotAnImage);
}
