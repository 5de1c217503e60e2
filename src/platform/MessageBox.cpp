#include "platform/MessageBox.h"

#include "platform/Host.h"
#include "platform/Resources.h"

namespace {

const int kStandardAlert = 0x2000;

int StyleOf(int theFlags)
{
    return theFlags & 0xF;
}

bool IsQuestion(int theStyle)
{
    return theStyle == kMessageBoxYesNo || theStyle == kMessageBoxYesNoCancel;
}

Cstring ButtonText(int theTextId, const char* theFallback)
{
    Cstring text = LoadString(theTextId);
    return text.IsEmpty() ? Cstring(theFallback) : text;
}

int KindOf(int theFlags)
{
    if (theFlags & 0x100)
        return kAlertCaution;
    if (theFlags & 0x200)
        return kAlertStop;
    if (theFlags & 0x400)
        return kAlertCaution;
    return kAlertPlain;
}

} // namespace

Cstring CAlert::Message() const
{
    Cstring message(itsCaption);
    message += "\n\n";
    message += itsText;
    return message;
}

CAlert MakeAlert(const char* theCaption, const char* theText, int theFlags)
{
    CAlert alert;
    if (theFlags == 0)
        theFlags = 0x2403;
    alert.itsFlags = theFlags | kStandardAlert;
    alert.itsKind = KindOf(theFlags);
    alert.itsCaption = theCaption ? theCaption : "";
    alert.itsText = theText ? theText : "";
    const int style = StyleOf(theFlags);
    if (IsQuestion(style)) {
        alert.itsButtons[0] = ButtonText(1002, "Yes");
        alert.itsButtons[1] = ButtonText(1003, "No");
        alert.itsButtonCount = 2;
        alert.itsCancelButton = 2;
        if (style == kMessageBoxYesNoCancel) {
            alert.itsButtons[2] = ButtonText(1001, "Cancel");
            alert.itsButtonCount = 3;
            alert.itsCancelButton = 3;
        }
    } else if (style == kMessageBoxOkCancel) {
        alert.itsButtons[0] = ButtonText(1000, "OK");
        alert.itsButtons[1] = ButtonText(1001, "Cancel");
        alert.itsButtonCount = 2;
        alert.itsCancelButton = 2;
    } else {
        alert.itsButtons[0] = ButtonText(1000, "OK");
    }
    return alert;
}

int AlertResult(int theFlags, int theHit)
{
    const int style = StyleOf(theFlags);
    if (theHit == 1)
        return IsQuestion(style) ? kResultYes : kResultOk;
    if (theHit == 2 && IsQuestion(style))
        return kResultNo;
    // Cancel of an OK/Cancel alert reports Cancel: answering it as OK would
    // make the button mean the opposite of its text.
    if ((theHit == 3 && style == kMessageBoxYesNoCancel) || (theHit == 2 && style == kMessageBoxOkCancel))
        return kResultCancel;
    return kResultOk;
}

int MessageBox(const char* theText, int theFlags)
{
    return MessageBox(LoadString(10000).GetText(), theText, theFlags);
}

int MessageBox(const char* theCaption, const char* theText, int theFlags)
{
    const CAlert alert = MakeAlert(theCaption, theText, theFlags);
    return AlertResult(alert.itsFlags, Host().ShowAlert(alert));
}
