#include "DataLines.h"

#include "identification/ByteText.h"
#include "identification/DataCipher.h"
#include "support/TraceCapture.h"

std::string EncipheredLine(const std::string& thePlaintext)
{
    static CDataCipher cipher; // the fuzz harness enciphers every line of its inputs
    static const Cstring key = MakeDataKey();
    CBuffer plain(64);
    CBuffer secret(64);
    Cstring line;
    PadPlaintext(thePlaintext.c_str(), plain);
    cipher.Encrypt(plain, key, secret);
    return Base64Encode(secret.GetText(), secret.itsDataLength, line);
}

std::string Dump(const CProgramList& theList)
{
    TraceCapture dump;
    DumpPrograms(theList, dump.Stream());
    return dump.Text();
}
