#pragma once

#include "platform/Resources.h"
#include "platform/Shell.h"
#include "qt/QtHostImpl.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>

// The one Qt host of the test program (Qt allows one application object per
// process); it is made before the first test and is current in every test.
CQtHost& QtHost();

class QtTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!gAppResFile)
            gAppResFile = new CResFile(); // the dialogs come from the application's own bundle
        SetHost(&QtHost());
    }
    void TearDown() override
    {
        // The host outlives every case: what one leaves for a loop that never
        // ran would act in the next one's. A timer still due may raise a stop
        // signal, whose request answers every later question yes, and a quit
        // asked for outside a loop ends the next loop before it starts.
        QCoreApplication::processEvents();
        QtHost().ForgetStopRequest();
        Shell().bQuitPending = false;
        QtHost().QuitApplicationLoop();
        QtHost().RunApplicationLoop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetHost(nullptr);
    }

    // Runs theAction from the loop once the next loop (a modal one) runs.
    static void Soon(std::function<void()> theAction) { QTimer::singleShot(0, std::move(theAction)); }
};

template <typename T> T* WidgetAs(const ControlEntry* pEntry)
{
    return pEntry ? qobject_cast<T*>(WidgetOf(*pEntry)) : nullptr;
}

// Each shown text of theWindow against the room its widget got, overlaps
// between neighbours, and the window against the screen.
void ExpectReadable(const CWindow& theWindow, const std::string& theWhere);
// A picture of theWindow saved as thePath (.png), its folder made.
void SavePicture(const CWindow& theWindow, const std::string& thePath);
