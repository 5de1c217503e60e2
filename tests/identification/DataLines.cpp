#include "DataLines.h"

#include "identification/ByteText.h"
#include "identification/DataCipher.h"

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
