#pragma once

#include "foundation/Cstring.h"

// Cstring's numbered texts come from theSource for as long as the object
// lives, then from the source that was there before.
class CScopedTextSource {
public:
    explicit CScopedTextSource(TextSource theSource)
        : itsSaved(SetTextSource(theSource))
    {
    }
    ~CScopedTextSource() { SetTextSource(itsSaved); }
    CScopedTextSource(const CScopedTextSource&) = delete;
    CScopedTextSource& operator=(const CScopedTextSource&) = delete;

private:
    TextSource itsSaved;
};
