#pragma once

#include "platform/mdialog.h"

#include <cstdint>

// The extractor's question whether an existing file is replaced (dialog 109).
// The result is the ID of the button pressed: 1 yes, 7 no, 129 yes to all,
// 128 no to all, 2 cancel. With a single entry the answers for all files and
// Cancel are not offered.
class COverwriteDialog : public CDialog {
public:
    COverwriteDialog(const char* thePath, uint32_t theEntryCount);
    void InitDialog() override;

private:
    Cstring itsPath;
    uint32_t itsEntryCount;
};
