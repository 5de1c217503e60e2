#pragma once

#include "platform/mcwin.h"

#include <QPointer>
#include <QWidget>

class CQtHost;

// The top-level widget of a framework window: it turns the toolkit's close,
// mouse, resize and activation events into the window's operations. It lives
// until the loop is idle again (deleteLater), so a window may close itself from
// inside one of its own handlers.
class CQtWindowWidget : public QWidget {
public:
    CQtWindowWidget(CQtHost& theHost, CWindow& theWindow);

    // Null once the framework window has let go of it.
    CWindow* Window() const { return itsWindow; }
    void Detach() { itsWindow = nullptr; }
    // Names each widget for screen readers: its own text, else its label's.
    void UpdateAccessibleNames();

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;

private:
    using MouseOperation = void (CWindow::*)(CPoint, int, int);
    // A press (theClicks 1 or 2) or a release (0) for theOperation.
    void Mouse(QMouseEvent* pEvent, int theClicks, MouseOperation theOperation);

    CQtHost& itsHost;
    CWindow* itsWindow;
};

class CQtWindowView : public CWindowView {
public:
    CQtWindowView(CQtHost& theHost, CWindow& theWindow);
    ~CQtWindowView() override;

    void SetTitle(const Cstring& theTitle) override;
    void SetFrame(const CRect& theFrame) override;
    CRect GetFrame() const override;
    void Show(bool bVisible) override;
    void BringToFront() override;
    void Invalidate(const CRect* pRect) override;
    void SetBackground(int theRed, int theGreen, int theBlue) override;

    CQtWindowWidget* Widget() const { return itsWidget; }

private:
    QPointer<CQtWindowWidget> itsWidget;
};

// The key event and modifiers of the framework for a toolkit key event.
struct CKeyEvent TranslateKey(const class QKeyEvent& theEvent);
int TranslateModifiers(Qt::KeyboardModifiers theModifiers);
