#pragma once

#include "foundation/Cstring.h"
#include "platform/controlentry.h"

#include <cstdio>

// Shows the progress page's counter and percentage on a stream as
// "File 3 of 20, 45%" whenever either changes. On a terminal the one line is
// rewritten in place; to a pipe or a file every change is a whole line, so a
// log or another program can follow it.
class CConsoleProgress {
public:
    explicit CConsoleProgress(FILE* theStream);
    CConsoleProgress(const CConsoleProgress&) = delete;
    CConsoleProgress& operator=(const CConsoleProgress&) = delete;

    // The views to hang on the counter and the percent items.
    CControlView& CounterView() { return itsCounterView; }
    CControlView& PercentView() { return itsPercentView; }
    // Ends the line being rewritten, if any, so that what follows starts afresh.
    void Finish();

private:
    class CItemView : public CControlView {
    public:
        CItemView(CConsoleProgress& theOwner, Cstring& theText);
        void ShowText(const Cstring& theText) override;
        void ShowValue(int32_t) override { }
        void ShowRange(int32_t, int32_t) override { }
        void ShowEnabled(bool) override { }
        void ShowVisible(bool) override { }
        void Redraw() override { }

    private:
        CConsoleProgress& itsOwner;
        Cstring& itsText;
    };

    void Print();

    FILE* itsStream;
    bool bTerminal;
    bool bLineOpen = false;
    Cstring itsCounter;
    Cstring itsPercent;
    CItemView itsCounterView { *this, itsCounter };
    CItemView itsPercentView { *this, itsPercent };
};
