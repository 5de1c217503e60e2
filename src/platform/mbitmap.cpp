#include "platform/mbitmap.h"

#include "foundation/Assert.h"
#include "foundation/ImageFileKind.h"
#include "foundation/ProgramFolders.h"
#include "foundation/RegularFile.h"
#include "platform/DrawSurface.h"
#include "platform/Host.h"
#include "platform/MessageBox.h"
#include "platform/Resources.h"
#include "platform/SystemServices.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const long kPictHeaderSize = 512;

int BigEndian16(const std::string& theData, size_t theOffset)
{
    return static_cast<int16_t>(static_cast<uint16_t>((static_cast<unsigned char>(theData[theOffset]) << 8)
        | static_cast<unsigned char>(theData[theOffset + 1])));
}

// A file-system code for an errno, so that ErrorText can name it.
int StatusOf(int theErrno)
{
    switch (theErrno) {
    case ENOENT:
    case ENOTDIR:
        return -43;
    case EACCES:
    case EPERM:
        return -5000;
    case ENAMETOOLONG:
        return -37;
    default:
        return -36;
    }
}

bool IsPictName(const char* thePath)
{
    return EndsWithNoCase(thePath, ".pct") || EndsWithNoCase(thePath, ".pict");
}

// Writes under a temporary name beside thePath and renames it into place, so
// a failed write leaves whatever was there before.
bool WriteWholeFile(const char* thePath, const std::string& theBytes)
{
    std::string temporary = std::string(thePath) + ".XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0)
        return false;
    FILE* file = fdopen(descriptor, "wb");
    if (!file) {
        close(descriptor);
        unlink(temporary.c_str());
        return false;
    }
    bool bWritten = std::fwrite(theBytes.data(), 1, theBytes.size(), file) == theBytes.size();
    bWritten = std::fclose(file) == 0 && bWritten;
    bWritten = bWritten && fchmodat(AT_FDCWD, temporary.c_str(), 0644, 0) == 0;
    if (!bWritten || std::rename(temporary.c_str(), thePath) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

uint32_t LittleEndian32(const std::string& theData, size_t theOffset)
{
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(theData[theOffset + i]);
    return value;
}

// Decoders fill what a cut file lacks with grey and call it a picture; a
// file that ends before its own structure says it does is no picture.
bool IsWholeImage(int theKind, const std::string& theBytes)
{
    switch (theKind) {
    case kPngImage:
        return theBytes.find("IEND") != std::string::npos;
    case kJpegImage:
        return theBytes.size() > 4 && theBytes.find("\xFF\xD9", 2) != std::string::npos;
    case kBmpImage: {
        if (theBytes.size() < 34)
            return false;
        const uint32_t compression = LittleEndian32(theBytes, 30);
        if (compression != 0 && compression != 3)
            return true; // the decoder knows where compressed rows end
        const uint64_t width
            = static_cast<int32_t>(LittleEndian32(theBytes, 18)) < 0 ? 0 : LittleEndian32(theBytes, 18);
        const int64_t height = static_cast<int32_t>(LittleEndian32(theBytes, 22));
        const uint64_t bits
            = static_cast<unsigned char>(theBytes[28]) | static_cast<unsigned char>(theBytes[29]) << 8;
        const uint64_t row = (width * bits + 31) / 32 * 4;
        if (row > theBytes.size())
            return false;
        return LittleEndian32(theBytes, 10) + row * static_cast<uint64_t>(height < 0 ? -height : height)
            <= theBytes.size();
    }
    default:
        return true;
    }
}

CRect Intersection(const CRect& theFirst, const CRect& theSecond)
{
    return { std::max(theFirst.top, theSecond.top), std::max(theFirst.left, theSecond.left),
        std::min(theFirst.bottom, theSecond.bottom), std::min(theFirst.right, theSecond.right) };
}

void SetMessage(Cstring* pMessage, const char* theText)
{
    if (pMessage)
        *pMessage = theText;
}

} // namespace

PicHandle CBitmap::LoadPicture(const char* thePath, Cstring* pMessage, Cstring* pResultPath)
{
    PW_ASSERT_TEXT(pResultPath != NULL, "theResultDir!=NULL");
    if (!thePath) {
        SetMessage(pMessage, "NULL file name");
        return nullptr;
    }
    if (!*thePath) {
        SetMessage(pMessage, "Zero length file name");
        return nullptr;
    }
    Cstring path(thePath);
    FixSeparators(path);
    path = MakeAbsolutePath(path.GetText());
    if (PicHandle imported = ImportImage(path.GetText())) {
        *pResultPath = path;
        return imported;
    }

    struct stat info;
    if (stat(path.GetText(), &info) != 0) {
        SetMessage(pMessage, ErrorText(StatusOf(errno)));
        return nullptr;
    }
    if (!IsPictName(path.GetText())) {
        SetMessage(pMessage, "File not recogized as a valid Pict file");
        return nullptr;
    }
    int error = 0;
    FILE* file = OpenRegularFile(path.GetText(), "rb", error);
    if (!file) {
        if (pMessage)
            *pMessage = RegularFileErrorText(error);
        else
            MessageBox(RegularFileErrorText(error), 0x202);
        return nullptr;
    }
    // The data after the header is the picture; a file too short to have
    // one, or too large to hold, cannot be taken.
    const long size = fstat(fileno(file), &info) == 0 ? static_cast<long>(info.st_size) : -1;
    if (size < kPictHeaderSize || static_cast<size_t>(size - kPictHeaderSize) > kImageByteLimit) {
        std::fclose(file);
        SetMessage(pMessage, "Unable to allocate memory for PICT");
        return nullptr;
    }
    auto picture = std::make_unique<CPicture>();
    picture->bPict = true;
    picture->itsPictData.resize(static_cast<size_t>(size - kPictHeaderSize));
    const bool bRead = std::fseek(file, kPictHeaderSize, SEEK_SET) == 0
        && std::fread(picture->itsPictData.data(), 1, picture->itsPictData.size(), file)
            == picture->itsPictData.size();
    std::fclose(file);
    if (!bRead) {
        SetMessage(pMessage, ErrorText(-36));
        return nullptr;
    }
    *pResultPath = path;
    return picture;
}

PicHandle CBitmap::ImportImage(const char* thePath)
{
    const int kind = GetImageFileKind(thePath);
    switch (kind) {
    case kBmpImage:
    case kJpegImage:
    case kGifImage:
    case kPngImage:
    case kTiffImage:
        break;
    default:
        return nullptr;
    }
    std::string bytes;
    int error = 0;
    auto picture = std::make_unique<CPicture>();
    if (!ReadRegularFile(thePath, kImageByteLimit, bytes, error) || !IsWholeImage(kind, bytes)
        || !Host().DecodeImage(bytes.data(), bytes.size(), picture->itsImage))
        return nullptr;
    return picture;
}

PicHandle CBitmap::PictureFromGWorld(const CImage& theWorld)
{
    auto picture = std::make_unique<CPicture>();
    picture->itsImage = theWorld;
    return picture;
}

bool CBitmap::Load(const char* thePath, Cstring* pErrors)
{
    Cstring message;
    Cstring resultPath;
    PicHandle picture = LoadPicture(thePath, &message, &resultPath);
    if (!picture) {
        if (pErrors) {
            *pErrors += "File: ";
            *pErrors += thePath ? thePath : "";
            *pErrors += "Error: ";
            *pErrors += message;
            *pErrors += "\r";
        }
        return false;
    }
    SetPicture(std::move(picture));
    return true;
}

bool CBitmap::LoadResource(int theId)
{
    const ResourceData data = ::GetPicture(FindResourceFile("PICT", theId, ResourceOrder::kTexts), theId);
    auto picture = std::make_unique<CPicture>();
    if (data.IsEmpty() || data.Size() > kImageByteLimit
        || !Host().DecodeImage(data.Data(), data.Size(), picture->itsImage))
        return false;
    SetPicture(std::move(picture));
    return true;
}

void CBitmap::SetPicture(PicHandle thePicture)
{
    itsHandle = std::move(thePicture);
    itsWidth = itsHeight = 0;
    if (!itsHandle)
        return;
    if (!itsHandle->bPict) {
        itsWidth = itsHandle->itsImage.itsWidth;
        itsHeight = itsHandle->itsImage.itsHeight;
    } else if (itsHandle->itsPictData.size() >= 10) {
        // The frame follows the picture's 2-byte size: top, left, bottom, right.
        const std::string& data = itsHandle->itsPictData;
        itsHeight = BigEndian16(data, 6) - BigEndian16(data, 2);
        itsWidth = BigEndian16(data, 8) - BigEndian16(data, 4);
    }
}

void CBitmap::Draw(CWindow& theWindow, const CRect& theRect) const
{
    DrawClipped(theWindow, theRect, theRect);
}

void CBitmap::DrawClipped(CWindow& theWindow, const CRect& theRect, const CRect& theClip) const
{
    PW_ASSERT_TEXT(itsHandle != nullptr, "itsHandle!=FALSE");
    CDrawSurface* surface = PaintSurfaceOf(&theWindow);
    if (!surface)
        return;
    if (itsHandle->bPict) {
        static bool bTold = false;
        if (!bTold)
            std::fprintf(stderr, "A PICT picture cannot be drawn: this system has no decoder for it.\n");
        bTold = true;
        return;
    }
    const CRect clip = Intersection(Intersection(surface->Bounds(), theRect), theClip);
    if (!clip.IsEmpty() && !itsHandle->itsImage.IsEmpty())
        surface->DrawImage(itsHandle->itsImage, theRect, clip);
}

bool CBitmap::Save(const char* thePath) const
{
    if (!itsHandle || !thePath || !*thePath)
        return false;
    const int kind = ImageKindOfName(thePath);
    std::string bytes;
    if (kind == kNotAnImage || kind == kPictImage) {
        // Only stored PICT data can be written back as a PICT file.
        if (!itsHandle->bPict)
            return false;
        bytes.assign(kPictHeaderSize, '\0');
        bytes += itsHandle->itsPictData;
    } else if (itsHandle->bPict || !Host().EncodeImage(itsHandle->itsImage, kind, bytes)) {
        return false;
    }
    return WriteWholeFile(thePath, bytes);
}
