#pragma once

#include "foundation/Cstring.h"
#include "platform/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CControlView;
class CDrawContext;
class CDialog;
class CListPeer;
class CListView;
class CPrinterView;
class CWindow;
class CWindowView;
struct CAlert;
struct CImage;
struct ControlEntry;

// Everything the framework needs from the toolkit, in one place. The logic of
// windows, dialogs, the shell and the alerts stays toolkit-free and reaches the
// screen only through the current host: the Qt host when a window can open,
// the console host otherwise, a scripted host in tests.
class CHost {
public:
    virtual ~CHost() = default;

    // Whether this host shows windows at all.
    virtual bool HasWindows() const = 0;

    // The toolkit's part of a top-level window, and of one control of a window;
    // null when the host shows none.
    virtual std::unique_ptr<CWindowView> MakeWindow(CWindow& theWindow) = 0;
    virtual std::unique_ptr<CControlView> MakeControl(CWindow& theOwner, ControlEntry& theEntry) = 0;
    // The toolkit's list for theView, in the place of theItem of theDialog;
    // null when the host shows none.
    virtual std::unique_ptr<CListPeer> MakeListView(
        CListView& theView, CDialog& theDialog, ControlEntry& theItem);
    // An image of theWidth by theHeight pixels to draw into, white at first;
    // null when the host has none.
    virtual std::unique_ptr<CDrawContext> MakeOffscreen(int theWidth, int theHeight);
    // The screen's usable area, in screen coordinates.
    virtual CRect ScreenBounds() const = 0;
    // Height of the menu bar at the top of the screen; 0 when menus live in windows.
    virtual int MenuBarHeight() const { return 0; }
    // The framework window that has the keyboard, or null.
    virtual CWindow* FrontWindow() const = 0;

    // The application loop runs until QuitApplicationLoop; a modal loop runs
    // until EndModalLoop for its dialog. RunModalLoop answers false at once
    // when this host cannot run one, and the dialog then ends as cancelled.
    virtual void RunApplicationLoop() = 0;
    virtual void QuitApplicationLoop() = 0;
    virtual bool RunModalLoop(CDialog& theDialog) = 0;
    virtual void EndModalLoop(CDialog& theDialog) = 0;
    // The repeating 1/3 s tick that walks the window timers.
    virtual void StartIdleTick() = 0;
    virtual void StopIdleTick() = 0;
    // A message was posted: deliver the queue soon, from the loop.
    virtual void WakeForPostedMessages() = 0;
    // A clock for the window timers, in microseconds.
    virtual uint64_t Microseconds() const;

    // Shows an alert and returns the button pressed, 1 to 3 in the order of
    // CAlert's buttons.
    virtual int ShowAlert(const CAlert& theAlert) = 0;
    // Asks for a folder, starting at theFolder: 1 and the chosen path in
    // theFolder, or 0 when nothing was chosen.
    virtual int ChooseFolder(const char* thePrompt, Cstring& theFolder) = 0;
    // Asks for a folder or a file of theFileTypes ("Update kits (*.pwkit)"),
    // starting at thePath: 1 and the chosen path in thePath, or 0. The base
    // shows no chooser.
    virtual int ChooseFileOrFolder(
        const char* /*thePrompt*/, const char* /*theFileTypes*/, Cstring& /*thePath*/)
    {
        return 0;
    }
    // The extractor's question whether to replace an existing file: 1 or 6 yes,
    // 7 no, 2 cancel, 128 no to all, 129 yes to all. The base runs dialog 109.
    virtual int AskOverwrite(const char* thePath, uint32_t theEntryCount);
    // True when the user asked to cancel since the last poll; the request is
    // taken. Polled while a long run blocks the loop, so a host with a loop
    // lets it handle what is pending (drawing, the cancel keys) meanwhile.
    virtual bool PollUserCancel() = 0;
    // Opens a file or URL in the desktop's application for it.
    virtual bool OpenDocument(const char* thePathOrUrl) = 0;

    // Image codecs. DecodeImage answers false for bytes that are no image it
    // can read, or one that would take more than kImageByteLimit; EncodeImage
    // false when it cannot write theKind (an ImageFileKind). The base has none.
    virtual bool DecodeImage(const void* /*theBytes*/, size_t /*theSize*/, CImage& /*theImage*/)
    {
        return false;
    }
    virtual bool EncodeImage(const CImage& /*theImage*/, int /*theKind*/, std::string& /*theBytes*/)
    {
        return false;
    }

    // The standard arrow (128) or the watch (129).
    virtual void SetCursor(int /*theCursorId*/) { }
    // The toolkit's part of a print job; null when this host cannot print.
    virtual std::unique_ptr<CPrinterView> MakePrinter();
};

// The current host; the console host until another is set.
CHost& Host();
// Makes pHost current (not owned); null restores the console host.
void SetHost(CHost* pHost);
