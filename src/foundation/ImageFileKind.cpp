#include "foundation/ImageFileKind.h"

#include "foundation/ProgramFolders.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

struct ExtensionKind {
    const char* itsExtension;
    int itsKind;
};

// Order matters only for readability; no extension appears twice.
const ExtensionKind kExtensionKinds[] = {
    { "bmp", kBmpImage },
    { "jpg", kJpegImage },
    { "jpeg", kJpegImage },
    { "png", kPngImage },
    { "tif", kTiffImage },
    { "tiff", kTiffImage },
    { "gif", kGifImage },
    { "pict", kPictImage },
    { "pct", kPictImage },
};

} // namespace

int ImageKindOfName(const char* thePath)
{
    const char* dot = thePath ? std::strrchr(thePath, '.') : nullptr;
    if (!dot)
        return kNotAnImage;
    for (const ExtensionKind& row : kExtensionKinds)
        if (strcasecmp(dot + 1, row.itsExtension) == 0)
            return row.itsKind;
    return kNotAnImage;
}

int GetImageFileKind(const char* thePath)
{
    if (!thePath || !*thePath)
        return kNotAnImage;

    unsigned char head[20] = {};
    size_t headLength = 0;
    bool bOpened = false;
    if (FILE* file = IsPlainFile(thePath) ? std::fopen(thePath, "rb") : nullptr) {
        bOpened = true;
        headLength = std::fread(head, 1, sizeof head, file);
        std::fclose(file);
    }

    // A file that cannot be read is judged by its name alone.
    const int kind = ImageKindOfName(thePath);
    if (bOpened && kind == kBmpImage)
        return headLength >= 2 && std::memcmp(head, "BM", 2) == 0 ? kBmpImage : kNotAnImage;
    if (bOpened && kind == kGifImage)
        return headLength >= 3 && std::memcmp(head, "GIF", 3) == 0 ? kGifImage : kNotAnImage;
    return kind;
}
