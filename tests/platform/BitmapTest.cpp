// Loading and saving pictures without image codecs: the messages, the PICT
// header rule and what a failed load or save leaves behind.

#include "platform/mbitmap.h"
#include "support/TempFolder.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

namespace {

// A PICT file: the 512-byte header, the 2-byte size and the frame (top, left,
// bottom, right, big-endian), then opcodes the bitmap keeps as they are.
std::string PictFile(int theTop, int theLeft, int theBottom, int theRight)
{
    std::string file(512, 'h');
    file += std::string("\x00\x20", 2);
    for (int edge : { theTop, theLeft, theBottom, theRight }) {
        file += static_cast<char>((edge >> 8) & 0xFF);
        file += static_cast<char>(edge & 0xFF);
    }
    return file + std::string("\x00\x11\x02\xff\x00\xff", 6);
}

class Bitmap : public testing::Test {
protected:
    std::string Message(const std::string& thePath)
    {
        Cstring message;
        Cstring result;
        EXPECT_EQ(CBitmap::LoadPicture(thePath.c_str(), &message, &result), nullptr) << thePath;
        return message.GetText();
    }

    TempFolder itsTemp;
    CTestHost itsHost; // no codecs: only PICT files load
};

TEST_F(Bitmap, WhatDoesNotLoadIsNamed)
{
    Cstring message;
    Cstring result;
    EXPECT_EQ(CBitmap::LoadPicture(nullptr, &message, &result), nullptr);
    EXPECT_STREQ(message.GetText(), "NULL file name");
    ASSERT_EQ(mkfifo((itsTemp / "pipe.pct").c_str(), 0600), 0);
    std::filesystem::create_directory(itsTemp.Path() / "folder.pict");
    const std::string notPict = "File not recogized as a valid Pict file";
    const std::pair<std::string, std::string> cases[] = {
        { "", "Zero length file name" },
        { itsTemp / "missing.pct", "(-43) File not found" },
        // Without a decoder an image file is only a file that is not a PICT.
        { itsTemp.Write("photo.jpg", "\xff\xd8\xff\xe0"), notPict },
        { itsTemp.Write("notes.txt", "text"), notPict },
        { itsTemp.Write("fake.bmp", "not a bitmap"), notPict },
        { itsTemp.Write("short.pct", std::string(511, 0)), "Unable to allocate memory for PICT" },
        { itsTemp / "pipe.pct", "Not a regular file" }, // no wait for a writer
        { itsTemp / "folder.pict", "Is a directory" },
    };
    for (const auto& [path, said] : cases)
        EXPECT_EQ(Message(path), said);
}

TEST_F(Bitmap, PictFilesNeedTheirHeader)
{
    CBitmap empty;
    ASSERT_TRUE(empty.Load(itsTemp.Write("header.pict", std::string(512, 0)).c_str()));
    EXPECT_TRUE(empty.GetPicture()->bPict);
    EXPECT_TRUE(empty.GetPicture()->itsPictData.empty());
    EXPECT_EQ(empty.GetWidth(), 0);

    CBitmap capitals;
    Cstring result;
    const std::string path = itsTemp.Write("QUILT.PCT", PictFile(10, 20, 110, 220));
    PicHandle picture = CBitmap::LoadPicture(path.c_str(), nullptr, &result);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(result.GetText(), path);
    EXPECT_EQ(picture->itsPictData, PictFile(10, 20, 110, 220).substr(512));
    ASSERT_TRUE(capitals.Load(path.c_str()));
    EXPECT_EQ(capitals.GetWidth(), 200);
    EXPECT_EQ(capitals.GetHeight(), 100);
}

TEST_F(Bitmap, FailedLoadAddsALineAndKeepsThePicture)
{
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.Load(itsTemp.Write("a.pct", PictFile(0, 0, 4, 8)).c_str()));
    Cstring errors("earlier\r");
    EXPECT_FALSE(bitmap.Load("", &errors));
    const std::string missing = itsTemp / "b.pct";
    EXPECT_FALSE(bitmap.Load(missing.c_str(), &errors));
    EXPECT_EQ(std::string(errors.GetText()),
        "earlier\rFile: Error: Zero length file name\rFile: " + missing + "Error: (-43) File not found\r");
    EXPECT_EQ(bitmap.GetWidth(), 8);
}

TEST_F(Bitmap, SavesPictAsStoredAndNothingItCannotWrite)
{
    CBitmap bitmap;
    const std::string original = PictFile(0, 0, 32, 32);
    ASSERT_TRUE(bitmap.Load(itsTemp.Write("in.pict", original).c_str()));
    ASSERT_TRUE(bitmap.Save((itsTemp / "out.PCT").c_str()));
    EXPECT_EQ(ReadWholeFile(itsTemp / "out.PCT"), std::string(512, 0) + original.substr(512));
    ASSERT_TRUE(bitmap.Save((itsTemp / "out.data").c_str())); // an unknown kind is written as PICT
    EXPECT_EQ(ReadWholeFile(itsTemp / "out.data"), ReadWholeFile(itsTemp / "out.PCT"));

    // PICT data cannot become a PNG, and an image without a codec cannot be
    // written at all: the existing file stays, and no file appears.
    itsTemp.Write("old.png", "old");
    EXPECT_FALSE(bitmap.Save((itsTemp / "old.png").c_str()));
    EXPECT_EQ(ReadWholeFile(itsTemp / "old.png"), "old");
    CBitmap image(CBitmap::PictureFromGWorld(CImage { 2, 1, { 0xFF000000, 0xFFFFFFFF } }));
    EXPECT_EQ(image.GetWidth(), 2);
    EXPECT_FALSE(image.Save((itsTemp / "new.png").c_str()));
    EXPECT_FALSE(image.Save((itsTemp / "new.pct").c_str()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(itsTemp.Path()), {}), 4)
        << "neither new picture nor a temporary is left";
}

} // namespace
