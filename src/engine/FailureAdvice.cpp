#include "engine/FailureAdvice.h"

#include "engine/EngineTexts.h"
#include "platform/TextFormat.h"
#include "zip/ZipErrors.h"

#include <cstring>
#include <string>

namespace {

bool StartsWith(const char* theText, const char* theStart)
{
    return std::strncmp(theText, theStart, std::strlen(theStart)) == 0;
}

} // namespace

Cstring FailureAdvice(const Cstring& theMessage)
{
    const char* message = theMessage.GetText();
    const std::string noPassword
        = "Unable to open compressed file (" + std::to_string(kZipErrorNoPassword) + ")";
    const std::string wrongPassword
        = "Unable to open compressed file (" + std::to_string(kZipErrorWrongPassword) + ")";
    if (StartsWith(message, noPassword.c_str()) || StartsWith(message, wrongPassword.c_str()))
        return TextOf(kTextArchiveWrongKey);
    // A wrong key passes the check of one entry in 256 and then reads as
    // damaged data; either way the kit is no good here.
    for (const char* damaged :
        { "Error opening compressed file container", "Unable to get compressed file info (",
            "Unable to open compressed file (", "Decompress Error (", "Failed to close compressed file (" })
        if (StartsWith(message, damaged))
            return TextOf(kTextArchiveDamaged);
    return Cstring();
}
