#pragma once

#include "foundation/Cstring.h"

#include <cstdint>

class CDialogItems;

// Set to 1 when the user confirms an abort or cancels the overwrite question.
// Never reset: once set, every later extraction in the process stops at its
// first check.
extern int32_t gAbortUpdate;
// 128 (no to all) or 129 (yes to all) once the user has given such an answer;
// never reset, so a later extractor remembers it.
extern int32_t gOverwriteAnswer;

// Answers of the overwrite question beside the alert results 1, 2, 6, 7.
enum OverwriteAnswer {
    kOverwriteNoToAll = 128,
    kOverwriteYesToAll = 129,
};

// The two questions the extraction puts to the host while the event loop is
// blocked; the host answers them (Host.h).

// The question after a cancel request.
constexpr char kAbortQuestion[] = "Are you sure you want to abort the update?";

// True when the user asked to cancel since the last poll; the request is taken.
bool CheckEventQueueForUserCancel();

// Asks whether the existing file at thePath is to be replaced and returns the
// result of the overwrite dialog: 1 or 6 yes, 7 no, 2 cancel, 128 no to all,
// 129 yes to all. With an entry count of 1 the answers for all files and
// Cancel are not offered. Without windows the existing file is kept (7).
int AskOverwriteQuestion(const char* thePath, uint32_t theEntryCount);

// Where an extraction tells how far it has come; on the extracting thread,
// before each entry and as its data is written.
class CExtractionProgress {
public:
    virtual ~CExtractionProgress() = default;
    virtual void Update(const Cstring& theName, int64_t theBytesDone, int64_t theTotalBytes,
        uint32_t theFilesDone, uint32_t theFileCount)
        = 0;
};

// The progress page's items during an extraction: a bar and a percentage of
// bytes, a counter of finished entries and the current entry's name. Each
// item is redrawn only when its shown value changes; an item id of 0 means
// the page has no such item.
class CProgressItems {
public:
    // Not owned; null shows nothing.
    void SetWindow(CDialogItems* pWindow) { itsWindow = pWindow; }
    // A null or empty format shows "%d%%".
    void SetProgressItems(int theBarItem, int thePercentItem, const char* theFormat);
    // A null or empty format shows "%d of %d".
    void SetCounterItem(int theItem, const char* theFormat);
    void SetNameItem(int theItem) { itsNameItem = theItem; }
    // Every item is drawn again at the next Show.
    void Reset();

    void Show(const Cstring& theName, int64_t theBytesDone, int64_t theTotalBytes, uint32_t theFilesDone,
        uint32_t theFileCount);

private:
    CDialogItems* itsWindow = nullptr;
    int itsBarItem = 0;
    int itsPercentItem = 0;
    int itsCounterItem = 0;
    int itsNameItem = 0;
    int32_t itsLastPercent = -1;
    int64_t itsLastCounter = -1;
    Cstring itsLastName;
    Cstring itsPercentFormat;
    Cstring itsCounterFormat;
};

// An extractor's own progress when nobody gives it another: the items, and
// the host's cancel poll, whose confirmed abort sets gAbortUpdate.
class CProgressDisplay : public CExtractionProgress, public CProgressItems {
public:
    // Polls for a cancel request (a confirmed one sets gAbortUpdate), then
    // brings the items up to date.
    void Update(const Cstring& theName, int64_t theBytesDone, int64_t theTotalBytes, uint32_t theFilesDone,
        uint32_t theFileCount) override;
};
