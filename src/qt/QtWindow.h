#pragma once

#include "platform/mcwin.h"
#include "qt/QtDialogLayout.h"
#include "qt/QtDrawing.h"

#include <QMenuBar>
#include <QPointer>
#include <QWidget>

#include <memory>

class CQtHost;

// The content area of a framework window: the parent of its controls, and
// where its mouse events arrive in the window's own coordinates.
class CQtContentWidget : public QWidget {
public:
    CQtContentWidget(QWidget* pParent, CWindow& theWindow);
    void Detach() { itsWindow = nullptr; }
    // What the window's painting passes drew, shown under the controls.
    CQtDrawContext& Backing();

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    using MouseOperation = void (CWindow::*)(CPoint, int, int);
    // A press (theClicks 1 or 2) or a release (0) for theOperation.
    void Mouse(QMouseEvent* pEvent, int theClicks, MouseOperation theOperation);

    CWindow* itsWindow;
    std::unique_ptr<CQtDrawContext> itsBacking;
};

// The top-level widget of a framework window: an optional menu bar above the
// content. It turns the toolkit's close and activation events into the
// window's operations. It lives until the loop is idle again (deleteLater), so
// a window may close itself from inside one of its own handlers.
class CQtWindowWidget : public QWidget {
public:
    CQtWindowWidget(CQtHost& theHost, CWindow& theWindow);
    ~CQtWindowWidget() override;

    // Null once the framework window has let go of it.
    CWindow* Window() const { return itsWindow; }
    void Detach();
    CQtContentWidget* Content() const { return itsContent; }
    // Shows theMenuBar above the content; null removes it.
    void SetMenuBar(CMenuBar* pMenuBar);
    int MenuBarHeight() const;
    QMenuBar* MenuBar() const { return itsMenuBar; }
    // Names each widget for screen readers: its own text, else its label's.
    void UpdateAccessibleNames();
    // Tab and Shift+Tab visit the controls in reading order.
    void UpdateTabOrder();
    // The first control in reading order that can take the focus, other than
    // pLeaving and what is inside it.
    QWidget* FirstFocusable(const QWidget* pLeaving) const;
    // Where the focus goes when pLeaving hides with it: the first control in
    // reading order, unless that is a button other than the default one.
    QWidget* FocusAfter(const QWidget* pLeaving) const;
    // A dialog's controls are laid out for their texts; null for other windows.
    CQtDialogLayout* Layout() const { return itsLayout.get(); }

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;

private:
    CQtHost& itsHost;
    CWindow* itsWindow;
    CQtContentWidget* itsContent;
    QMenuBar* itsMenuBar = nullptr;
    CMenuBar* itsShownBar = nullptr;
    std::unique_ptr<class CQtMenuPeer> itsMenuPeer;
    QList<QPointer<QWidget>> itsTabStops; // in reading order
    std::unique_ptr<CQtDialogLayout> itsLayout;
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
    void SetMenuBar(CMenuBar* pMenuBar) override;
    CDrawContext* BeginDraw() override;
    void EndDraw() override;

    CQtWindowWidget* Widget() const { return itsWidget; }

private:
    QPointer<CQtWindowWidget> itsWidget;
};

// The key event and modifiers of the framework for a toolkit key event.
struct CKeyEvent TranslateKey(const class QKeyEvent& theEvent);
int TranslateModifiers(Qt::KeyboardModifiers theModifiers);
