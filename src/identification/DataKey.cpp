#include "identification/DataKey.h"

namespace {

// Each byte less 29 indexes A-Z, a-z, 0-9, _; the zero byte ends the text.
const unsigned char kStoredKey[27] = {
    29 + 15,
    29 + 36,
    29 + 55,
    29 + 8,
    29 + 48,
    29 + 62,
    29 + 2,
    29 + 31,
    29 + 56,
    29 + 21,
    29 + 45,
    29 + 11,
    29 + 60,
    29 + 33,
    29 + 62,
    29 + 4,
    29 + 39,
    29 + 53,
    29 + 18,
    29 + 27,
    29 + 58,
    29 + 6,
    29 + 43,
    29 + 24,
    29 + 51,
    29 + 13,
    0,
};

} // namespace

void BuildDataKeyText(Cstring& theKeyText)
{
    char text[80] = {};
    int length = 0;
    for (const unsigned char* at = kStoredKey; *at; ++at) {
        const int index = *at - 29;
        char symbol = '_';
        if (index >= 52 && index <= 61)
            symbol = static_cast<char>('0' + (index - 52));
        else if (index >= 26 && index <= 51)
            symbol = static_cast<char>('a' + (index - 26));
        else if (index >= 0 && index <= 25)
            symbol = static_cast<char>('A' + index);
        text[length++] = symbol;
    }
    text[length] = 0;
    theKeyText = text;
}
