#include "engine/Progress.h"

#include "engine/EngineTexts.h"
#include "platform/DialogItems.h"
#include "platform/Host.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

#include <strings.h>

int32_t gAbortUpdate = 0;
int32_t gOverwriteAnswer = 0;

bool CheckEventQueueForUserCancel()
{
    return Host().PollUserCancel();
}

int AskOverwriteQuestion(const char* thePath, uint32_t theEntryCount)
{
    return Host().AskOverwrite(thePath, theEntryCount);
}

void CProgressItems::SetProgressItems(int theBarItem, int thePercentItem, const char* theFormat)
{
    itsBarItem = theBarItem;
    itsPercentItem = thePercentItem;
    itsPercentFormat = theFormat ? theFormat : "";
}

void CProgressItems::SetCounterItem(int theItem, const char* theFormat)
{
    itsCounterItem = theItem;
    itsCounterFormat = theFormat ? theFormat : "";
}

void CProgressDisplay::Update(const Cstring& theName, int64_t theBytesDone, int64_t theTotalBytes,
    uint32_t theFilesDone, uint32_t theFileCount)
{
    if (CheckEventQueueForUserCancel()
        && MessageBox(TextOf(kTextAbortQuestion).GetText(), kMessageBoxYesNo) == kResultYes)
        gAbortUpdate = 1;
    Show(theName, theBytesDone, theTotalBytes, theFilesDone, theFileCount);
}

void CProgressItems::Reset()
{
    itsLastPercent = -1;
    itsLastCounter = -1;
    itsLastName.Clear();
}

void CProgressItems::Show(const Cstring& theName, int64_t theBytesDone, int64_t theTotalBytes,
    uint32_t theFilesDone, uint32_t theFileCount)
{
    if (!itsWindow)
        return;

    double fraction = 0.0;
    if (theBytesDone != 0 && theTotalBytes != 0)
        fraction = static_cast<double>(theBytesDone) / static_cast<double>(theTotalBytes);
    const int32_t percent = static_cast<int32_t>(100.0 * fraction);

    if (percent != itsLastPercent) {
        if (itsBarItem != 0) {
            itsWindow->SetItemValue(itsBarItem, percent);
            itsWindow->RedrawItem(itsBarItem);
        }
        if (itsPercentItem != 0) {
            Cstring text;
            text.Format(itsPercentFormat.IsEmpty() ? "%d%%" : itsPercentFormat.GetText(), percent);
            itsWindow->SetItemText(itsPercentItem, text.GetText());
            itsWindow->RedrawItem(itsPercentItem);
        }
    }
    if (theFilesDone != itsLastCounter && itsCounterItem != 0) {
        Cstring text;
        text.Format(itsCounterFormat.IsEmpty() ? "%d of %d" : itsCounterFormat.GetText(),
            static_cast<int>(theFilesDone), static_cast<int>(theFileCount));
        itsWindow->SetItemText(itsCounterItem, text.GetText());
        itsWindow->RedrawItem(itsCounterItem);
    }
    if (strcasecmp(theName.GetText(), itsLastName.GetText()) != 0 && itsNameItem != 0) {
        itsWindow->SetItemText(itsNameItem, theName.GetText());
        itsWindow->RedrawItem(itsNameItem);
    }
    itsLastPercent = percent;
    itsLastCounter = theFilesDone;
    itsLastName = theName;
}
