#include "app/JsonWriter.h"

namespace {

// The length of the well-formed UTF-8 sequence at theBytes, or 0: no
// overlong forms, no surrogates, nothing beyond U+10FFFF.
size_t Utf8Length(std::string_view theBytes)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(theBytes[i]); };
    const unsigned char lead = byte(0);
    size_t length;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (theBytes.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

std::string JsonQuoted(std::string_view theBytes)
{
    static const char kHex[] = "0123456789abcdef";
    std::string text = "\"";
    for (size_t i = 0; i < theBytes.size();) {
        const unsigned char byte = static_cast<unsigned char>(theBytes[i]);
        if (byte == '"' || byte == '\\') {
            text += '\\';
            text += static_cast<char>(byte);
        } else if (byte == '\n') {
            text += "\\n";
        } else if (byte == '\t') {
            text += "\\t";
        } else if (byte == '\r') {
            text += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            text += "\\u00";
            text += kHex[byte >> 4];
            text += kHex[byte & 15];
        } else if (byte < 0x80) {
            text += static_cast<char>(byte);
        } else if (const size_t length = Utf8Length(theBytes.substr(i))) {
            text.append(theBytes.substr(i, length));
            i += length;
            continue;
        } else {
            text += "\\udc";
            text += kHex[byte >> 4];
            text += kHex[byte & 15];
        }
        ++i;
    }
    return text + "\"";
}

CJsonWriter& CJsonWriter::Key(const char* theName)
{
    BeforeValue();
    std::fprintf(itsStream, "%s: ", JsonQuoted(theName).c_str());
    bAfterKey = true;
    return *this;
}

void CJsonWriter::String(const char* theText, bool bEmptyIsNull)
{
    if (!theText || (bEmptyIsNull && !*theText))
        return Null();
    BeforeValue();
    std::fputs(JsonQuoted(theText).c_str(), itsStream);
}

void CJsonWriter::Bool(bool bValue)
{
    BeforeValue();
    std::fputs(bValue ? "true" : "false", itsStream);
}

void CJsonWriter::Number(long theValue)
{
    BeforeValue();
    std::fprintf(itsStream, "%ld", theValue);
}

void CJsonWriter::Null()
{
    BeforeValue();
    std::fputs("null", itsStream);
}

void CJsonWriter::Finish()
{
    std::fputc('\n', itsStream);
    std::fflush(itsStream);
}

void CJsonWriter::BeforeValue()
{
    if (bAfterKey) {
        bAfterKey = false;
        return;
    }
    if (itsEmpty.empty())
        return;
    if (!itsEmpty.back())
        std::fputc(',', itsStream);
    itsEmpty.back() = false;
    NewLine();
}

void CJsonWriter::Open(char theBracket)
{
    BeforeValue();
    std::fputc(theBracket, itsStream);
    itsEmpty.push_back(true);
}

void CJsonWriter::Close(char theBracket)
{
    const bool bEmpty = itsEmpty.back();
    itsEmpty.pop_back();
    if (!bEmpty)
        NewLine();
    std::fputc(theBracket, itsStream);
}

void CJsonWriter::NewLine()
{
    std::fputc('\n', itsStream);
    for (size_t level = 0; level < itsEmpty.size(); ++level)
        std::fputs("  ", itsStream);
}
