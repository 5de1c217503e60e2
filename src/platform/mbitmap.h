#pragma once

#include "foundation/Cstring.h"
#include "platform/Geometry.h"
#include "platform/Image.h"

#include <memory>
#include <string>

class CWindow;

// A picture as a bitmap holds it: decoded pixels from an image file, or the
// stored data of a PICT file. PICT data is kept as read and saved back as
// it came, but cannot be drawn: there is no decoder for it here.
struct CPicture {
    CImage itsImage;
    std::string itsPictData; // the PICT file after its 512-byte header
    bool bPict = false;
};
using PicHandle = std::unique_ptr<CPicture>;

// One picture with its size, loaded from an image file (BMP, JPEG, GIF, PNG,
// TIFF through the host's codecs; PICT as stored data), drawn into a window
// or onto a page, and saved in the format the file name's extension names.
class CBitmap {
public:
    CBitmap() = default;
    explicit CBitmap(PicHandle thePicture) { SetPicture(std::move(thePicture)); }

    // True when a picture was loaded; otherwise "File: <path>Error: <message>\r"
    // is appended to *pErrors when given, and the bitmap keeps what it held.
    bool Load(const char* thePath, Cstring* pErrors = nullptr);
    // Picture resource theId of the open resource files.
    bool LoadResource(int theId);
    // The picture of an image file, or null with the reason in *pMessage (or,
    // when no message text is given and the file cannot be opened, in an
    // alert). pResultPath, which must be given, receives the path.
    static PicHandle LoadPicture(const char* thePath, Cstring* pMessage, Cstring* pResultPath);
    // A picture decoded by the host's codecs; null for a PICT file, a file of
    // another kind, or one that does not decode.
    static PicHandle ImportImage(const char* thePath);
    // A picture of an off-screen image.
    static PicHandle PictureFromGWorld(const CImage& theWorld);

    // Draws the picture scaled into theRect of the window's paint surface; a
    // window that is not painting draws nothing. A PICT picture draws nothing
    // either and says once on standard error why.
    void Draw(CWindow& theWindow, const CRect& theRect) const;
    void DrawClipped(CWindow& theWindow, const CRect& theRect, const CRect& theClip) const;
    // True when written. The file is replaced whole or not at all: a format
    // that cannot be written leaves no file behind.
    bool Save(const char* thePath) const;

    bool IsLoaded() const { return itsHandle != nullptr; }
    const CPicture* GetPicture() const { return itsHandle.get(); }
    int GetWidth() const { return itsWidth; }
    int GetHeight() const { return itsHeight; }

private:
    void SetPicture(PicHandle thePicture);

    PicHandle itsHandle;
    int itsWidth = 0;
    int itsHeight = 0;
};
