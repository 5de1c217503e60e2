// Pictures of a resource bundle, apart from its texts: decoding them needs the
// base64 code of the cipher library, which a program that reads only texts
// should not have to load.

#include "foundation/RegularFile.h"
#include "platform/Resources.h"

#include <cstring>
#include <nettle/base64.h>
#include <string>

namespace {

const char* const kPictureDataPrefix = "data:image/png;base64,";
// As large as a bundle may be.
const size_t kMaxPictureSize = 32 * 1024 * 1024;

std::string DecodeBase64(const char* theText)
{
    const size_t length = std::strlen(theText);
    std::string decoded(BASE64_DECODE_LENGTH(length), '\0');
    base64_decode_ctx context;
    base64_decode_init(&context);
    size_t decodedLength = decoded.size();
    if (!base64_decode_update(
            &context, &decodedLength, reinterpret_cast<uint8_t*>(decoded.data()), length, theText)
        || !base64_decode_final(&context))
        return std::string();
    decoded.resize(decodedLength);
    return decoded;
}

} // namespace

ResourceData GetPicture(const CResFile* theFile, int theId)
{
    ResourceData picture = LoadResource(theFile, "PICT", theId);
    const std::string source = picture.itsBytes;
    picture.itsBytes.clear();
    if (source.compare(0, std::strlen(kPictureDataPrefix), kPictureDataPrefix) == 0) {
        picture.itsBytes = DecodeBase64(source.c_str() + std::strlen(kPictureDataPrefix));
        return picture;
    }
    // Otherwise a file beside the bundle; a name that reaches elsewhere is refused.
    if (source.empty() || source.find('/') != std::string::npos || source == ".." || !theFile
        || theFile->GetPath().IsEmpty())
        return picture;
    Cstring folder(theFile->GetPath());
    if (char* last = std::strrchr(folder.GetBuffer(), '/'))
        last[1] = 0;
    else
        folder = "";
    int error = 0;
    if (!ReadRegularFile(Cstring(folder, source.c_str()).GetText(), kMaxPictureSize, picture.itsBytes, error))
        picture.itsBytes.clear();
    return picture;
}
