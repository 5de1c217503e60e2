#include "identification/ProgramPart.h"

#include "foundation/Arrays.h"

#include <cerrno>
#include <cstdlib>

CProgramPart::CProgramPart(CProgram* pOwner, const char* theName, int32_t theSize, const char* theDigest)
    : itsOwner(pOwner)
    , itsName(theName)
    , itsDigest(theDigest)
    , itsSize(theSize)
{
}

CProgramPart::CProgramPart(const char* theText, FILE* pStream)
{
    CStringArray fields;
    Cstring(theText).Split(fields, kFieldSeparator);
    if (fields.GetCount() < 3) {
        if (pStream)
            std::fprintf(pStream, "Part NOT created: %s\n", theText ? theText : "");
        return;
    }
    itsName = fields.At(0);
    itsSize = ParseSize(fields.At(1).GetText());
    itsDigest = fields.At(2);
    if (pStream)
        std::fprintf(pStream, "Part created: %s\n", AsText().GetText());
}

Cstring CProgramPart::AsText() const
{
    Cstring text;
    text.Format(
        "%s%c%d%c%s", itsName.GetText(), kFieldSeparator, itsSize, kFieldSeparator, itsDigest.GetText());
    return text;
}

int32_t ParseSize(const char* theText)
{
    if (!theText)
        return 0;
    errno = 0;
    const long long value = std::strtoll(theText, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}
