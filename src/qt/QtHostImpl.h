#pragma once

#include "platform/Host.h"
#include "platform/PrinterView.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <map>
#include <memory>

class QApplication;
class QEventLoop;
class QSocketNotifier;
class QWidget;
class CQtWindowWidget;

// The Qt host: one QApplication for the process, the application loop and the
// modal loops as QEventLoops, the idle tick as a QTimer, alerts as
// QMessageBox, the chooser as QFileDialog. Keys reach the framework's
// keyboard rules through an application-wide event filter; SIGINT and SIGTERM
// arrive through a pipe that the loop watches, never inside the handler.
class CQtHost : public CHost, public QObject {
public:
    CQtHost(int& argc, char** argv);
    ~CQtHost() override;

    bool HasWindows() const override { return true; }
    std::unique_ptr<CWindowView> MakeWindow(CWindow& theWindow) override;
    std::unique_ptr<CControlView> MakeControl(CWindow& theOwner, ControlEntry& theEntry) override;
    std::unique_ptr<CListPeer> MakeListView(
        CListView& theView, CDialog& theDialog, ControlEntry& theItem) override;
    std::unique_ptr<CDrawContext> MakeOffscreen(int theWidth, int theHeight) override;
    CRect ScreenBounds() const override;
    CWindow* FrontWindow() const override;

    void RunApplicationLoop() override;
    void QuitApplicationLoop() override;
    bool RunModalLoop(CDialog& theDialog) override;
    void EndModalLoop(CDialog& theDialog) override;
    void StartIdleTick() override;
    void StopIdleTick() override;
    void WakeForPostedMessages() override;

    int ShowAlert(const CAlert& theAlert) override;
    int ChooseFolder(const char* thePrompt, Cstring& theFolder) override;
    int ChooseFileOrFolder(const char* thePrompt, const char* theFileTypes, Cstring& thePath) override;
    bool PollUserCancel() override;
    bool OpenDocument(const char* thePathOrUrl) override;

    // QtImages.cpp
    bool DecodeImage(const void* theBytes, size_t theSize, CImage& theImage) override;
    bool EncodeImage(const CImage& theImage, int theKind, std::string& theBytes) override;

    void SetCursor(int theCursorId) override;
    // QtPrinter.cpp
    std::unique_ptr<CPrinterView> MakePrinter() override;

    // The user asked to cancel while a run blocks the loop.
    void RequestCancel() { bCancelRequested = true; }
    // True while PollUserCancel lets the loop handle what is pending: only a
    // cancel request is taken then.
    bool IsInRun() const { return bInRun; }
    // Hands a key to a widget past the keyboard rules.
    bool ForwardKey(QWidget* pWidget, const struct CKeyEvent& theKey, class QKeyEvent* pOriginal);
    // Alerts that nobody answers: a stop signal came, and the question now is
    // whether to stop.
    bool HasStopRequest() const { return bStopRequested; }
    void ForgetStopRequest() { bStopRequested = false; }

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override;

private:
    void OnStopSignal();
    bool FilterDuringRun(QWidget* pWidget, QEvent* pEvent);

    std::unique_ptr<QApplication> itsApp;
    QTimer itsIdleTimer;
    QEventLoop* itsAppLoop = nullptr;
    bool bQuitRequested = false;
    std::map<CDialog*, QEventLoop*> itsModalLoops;
    bool bInRun = false;
    bool bCancelRequested = false;
    bool bStopRequested = false;
    bool bForwarding = false;
    std::unique_ptr<QSocketNotifier> itsSignalNotifier;
    QPointer<QWidget> itsOpenAlert; // the alert on screen, which a stop signal answers
    int itsWaitCursors = 0;
};

// The Qt widget of a window or of a control; null when there is none.
QWidget* WidgetOf(const CWindow& theWindow);
QWidget* WidgetOf(const ControlEntry& theEntry);
