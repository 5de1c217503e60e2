#include "DataLines.h"

#include "identification/ByteText.h"
#include "identification/DataCipher.h"

#include <cstdlib>

std::string EncipheredLine(const std::string& thePlaintext)
{
    CBuffer plain(64);
    CBuffer secret(64);
    Cstring line;
    PadPlaintext(thePlaintext.c_str(), plain);
    CDataCipher cipher;
    cipher.Encrypt(plain, MakeDataKey(), secret);
    return Base64Encode(secret.GetText(), secret.itsDataLength, line);
}

TraceCapture::TraceCapture()
    : itsStream(open_memstream(&itsBuffer, &itsSize))
{
}

TraceCapture::~TraceCapture()
{
    std::fclose(itsStream);
    std::free(itsBuffer);
}

std::string TraceCapture::Text()
{
    std::fflush(itsStream);
    return std::string(itsBuffer, itsSize);
}
