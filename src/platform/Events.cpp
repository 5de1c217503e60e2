#include "platform/Events.h"

namespace {

int EffectiveButton(int theButton, int theModifiers)
{
    return theButton == kLeftButton && (theModifiers & kControlKey) ? kRightButton : theButton;
}

} // namespace

int MouseMessageCode(int theButton, int theClicks, int theModifiers)
{
    const int button = EffectiveButton(theButton, theModifiers);
    const int offset = button == kRightButton ? 0 : button == kMiddleButton ? 2 : 1;
    if (theClicks == 0)
        return kMsgRightUp + offset;
    if (theClicks == 2)
        return kMsgRightDoubleClick + offset;
    return kMsgRightDown + offset;
}

int MouseKeyState(int theButtons, int theModifiers)
{
    int state = 0;
    const bool bLeft = theButtons & 1;
    if (bLeft && (theModifiers & kControlKey) && !(theButtons & 6))
        state |= 2;
    else if (bLeft)
        state |= 1;
    if (theButtons & 2)
        state |= 2;
    if (theButtons & 4)
        state |= 16;
    if (theModifiers & kShiftKey)
        state |= 4;
    if (theModifiers & kControlKey)
        state |= 8;
    if (theModifiers & kCommandKey)
        state |= 32;
    if (theModifiers & kOptionKey)
        state |= 64;
    return state;
}
