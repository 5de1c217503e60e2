#include "qt/QtWindow.h"

#include "platform/Shell.h"
#include "qt/QtControls.h"
#include "qt/QtHostImpl.h"
#include "qt/QtMenuBar.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QWheelEvent>

#include <algorithm>
#include <vector>

namespace {

int ButtonOf(Qt::MouseButton theButton)
{
    switch (theButton) {
    case Qt::RightButton:
        return kRightButton;
    case Qt::MiddleButton:
        return kMiddleButton;
    default:
        return kLeftButton;
    }
}

int ButtonsDown(Qt::MouseButtons theButtons)
{
    return (theButtons & Qt::LeftButton ? 1 : 0) | (theButtons & Qt::RightButton ? 2 : 0)
        | (theButtons & Qt::MiddleButton ? 4 : 0);
}

CPoint PointOf(const QPointF& thePoint)
{
    return { static_cast<int>(thePoint.x()), static_cast<int>(thePoint.y()) };
}

} // namespace

int TranslateModifiers(Qt::KeyboardModifiers theModifiers)
{
    // Ctrl stands where Command stood; Meta is the control key.
    return (theModifiers & Qt::ControlModifier ? kCommandKey : 0)
        | (theModifiers & Qt::ShiftModifier ? kShiftKey : 0)
        | (theModifiers & Qt::AltModifier ? kOptionKey : 0)
        | (theModifiers & Qt::MetaModifier ? kControlKey : 0);
}

CKeyEvent TranslateKey(const QKeyEvent& theEvent)
{
    CKeyEvent key;
    key.itsModifiers = TranslateModifiers(theEvent.modifiers());
    const int qtKey = theEvent.key();
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key.itsKeyCode = kKeyReturn;
        key.itsCharCode = 13;
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        key.itsKeyCode = kKeyTab;
        key.itsCharCode = 9;
        if (qtKey == Qt::Key_Backtab)
            key.itsModifiers |= kShiftKey;
        break;
    case Qt::Key_Escape:
        key.itsKeyCode = kKeyEscape;
        key.itsCharCode = 27;
        break;
    case Qt::Key_F1:
        key.itsKeyCode = kKeyF1;
        break;
    case Qt::Key_Help:
        key.itsKeyCode = kKeyHelp;
        break;
    default:
        // With Ctrl the text is a control character: take the key itself.
        if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
            key.itsCharCode = 'a' + (qtKey - Qt::Key_A);
        else if (qtKey >= Qt::Key_Space && qtKey <= Qt::Key_AsciiTilde)
            key.itsCharCode = qtKey;
        else if (!theEvent.text().isEmpty())
            key.itsCharCode = theEvent.text().at(0).unicode();
        break;
    }
    return key;
}

CQtContentWidget::CQtContentWidget(QWidget* pParent, CWindow& theWindow)
    : QWidget(pParent)
    , itsWindow(&theWindow)
{
}

CQtDrawContext& CQtContentWidget::Backing()
{
    if (!itsBacking)
        itsBacking = std::make_unique<CQtDrawContext>(width(), height(), true);
    itsBacking->Resize(width(), height());
    return *itsBacking;
}

void CQtContentWidget::paintEvent(QPaintEvent*)
{
    // Where nothing was drawn the window's ground shows through.
    if (itsBacking)
        QPainter(this).drawImage(0, 0, itsBacking->Image());
}

CQtWindowWidget::CQtWindowWidget(CQtHost& theHost, CWindow& theWindow)
    : QWidget(nullptr, Qt::Window)
    , itsHost(theHost)
    , itsWindow(&theWindow)
    , itsContent(new CQtContentWidget(this, theWindow))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    // A plain window (neither document style nor document class) has no
    // frame and stays above the windows of the application.
    if (!(theWindow.GetStyle() & kStyleDocument) && !(theWindow.GetClassFlags() & kClassDocument))
        setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    if (theWindow.GetWindowKind() == kWindowKindDialog) {
        setBackgroundRole(QPalette::Window);
        itsLayout = std::make_unique<CQtDialogLayout>(theWindow, this, itsContent);
    }
    setAutoFillBackground(true);
}

CQtWindowWidget::~CQtWindowWidget() = default;

void CQtWindowWidget::Detach()
{
    itsWindow = nullptr;
    itsContent->Detach();
    SetMenuBar(nullptr);
}

int CQtWindowWidget::MenuBarHeight() const
{
    return itsMenuBar ? itsMenuBar->sizeHint().height() : 0;
}

void CQtWindowWidget::SetMenuBar(CMenuBar* pMenuBar)
{
    // The bar shown already is only redrawn: a window may ask for that while
    // one of the bar's own menus is opening.
    if (pMenuBar && pMenuBar == itsShownBar && itsMenuBar) {
        itsMenuBar->update();
        return;
    }
    itsShownBar = pMenuBar;
    const QSize content = itsContent->size();
    itsMenuPeer.reset();
    delete itsMenuBar;
    itsMenuBar = nullptr;
    if (pMenuBar) {
        itsMenuBar = new QMenuBar(this);
        itsMenuPeer = std::make_unique<CQtMenuPeer>(*pMenuBar, *itsMenuBar);
        itsMenuBar->show();
    }
    // The content keeps its size; the window grows by the bar.
    resize(content.width(), content.height() + MenuBarHeight());
}

void CQtWindowWidget::resizeEvent(QResizeEvent*)
{
    const int bar = MenuBarHeight();
    if (itsMenuBar)
        itsMenuBar->setGeometry(0, 0, width(), bar);
    itsContent->setGeometry(0, bar, width(), height() - bar);
    if (itsLayout)
        itsLayout->Apply();
}

void CQtWindowWidget::closeEvent(QCloseEvent* pEvent)
{
    // The framework decides; the widget itself never closes on its own.
    pEvent->ignore();
    if (itsHost.IsInRun()) {
        itsHost.RequestCancel();
        return;
    }
    CWindow* window = itsWindow;
    if (window && Shell().IsLive(window) && window->QueryQuit())
        window->Close();
    Shell().AfterEvent();
}

void CQtContentWidget::Mouse(QMouseEvent* pEvent, int theClicks, MouseOperation theOperation)
{
    if (!itsWindow)
        return;
    const int modifiers = TranslateModifiers(pEvent->modifiers());
    (itsWindow->*theOperation)(PointOf(pEvent->position()),
        MouseMessageCode(ButtonOf(pEvent->button()), theClicks, modifiers),
        MouseKeyState(ButtonsDown(pEvent->buttons()), modifiers));
}

void CQtContentWidget::mousePressEvent(QMouseEvent* pEvent)
{
    Mouse(pEvent, 1, &CWindow::OnMouseDown);
}

void CQtContentWidget::mouseDoubleClickEvent(QMouseEvent* pEvent)
{
    Mouse(pEvent, 2, &CWindow::OnMouseDoubleClick);
}

void CQtContentWidget::mouseReleaseEvent(QMouseEvent* pEvent)
{
    Mouse(pEvent, 0, &CWindow::OnMouseUp);
}

void CQtContentWidget::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (!itsWindow)
        return;
    itsWindow->UpdateCursor();
    itsWindow->OnMouseMove(PointOf(pEvent->position()),
        MouseKeyState(ButtonsDown(pEvent->buttons()), TranslateModifiers(pEvent->modifiers())));
}

void CQtContentWidget::wheelEvent(QWheelEvent* pEvent)
{
    if (!itsWindow)
        return;
    itsWindow->OnMouseWheel(PointOf(pEvent->position()), pEvent->angleDelta().y() / 120,
        MouseKeyState(ButtonsDown(pEvent->buttons()), TranslateModifiers(pEvent->modifiers())));
}

void CQtContentWidget::resizeEvent(QResizeEvent*)
{
    if (itsWindow)
        itsWindow->OnSize();
}

void CQtWindowWidget::changeEvent(QEvent* pEvent)
{
    if (pEvent->type() == QEvent::ActivationChange && itsWindow)
        itsWindow->Activate(isActiveWindow());
    QWidget::changeEvent(pEvent);
}

void CQtWindowWidget::UpdateAccessibleNames()
{
    if (!itsWindow)
        return;
    for (const auto& entry : itsWindow->Entries()) {
        QWidget* widget = WidgetOf(*entry);
        if (!widget)
            continue;
        Cstring name = AccessibleText(*entry);
        if (name.IsEmpty()) {
            const ControlEntry* label = itsWindow->LabelFor(*entry);
            if (label)
                name = DisplayText(label->itsKind, label->itsText);
        }
        // A list placed on the item speaks with the item's name, and the pane
        // around it says nothing, or the name is heard twice.
        const QList<QAbstractItemView*> lists
            = widget->findChildren<QAbstractItemView*>(Qt::FindDirectChildrenOnly);
        widget->setAccessibleName(lists.isEmpty() ? QString::fromUtf8(name.GetText()) : QString());
        for (QWidget* list : lists)
            list->setAccessibleName(QString::fromUtf8(name.GetText()));
    }
}

void CQtWindowWidget::UpdateTabOrder()
{
    if (!itsWindow)
        return;
    // Reading order: from the top, left to right where tops are level. The
    // toolkit's own chain is the order the widgets were made in, which puts
    // the buttons shared by every page before the page's own controls.
    std::vector<const ControlEntry*> entries;
    for (const auto& entry : itsWindow->Entries())
        if (WidgetOf(*entry))
            entries.push_back(entry.get());
    std::stable_sort(entries.begin(), entries.end(), [](const ControlEntry* pA, const ControlEntry* pB) {
        const CRect& a = pA->itsBounds;
        const CRect& b = pB->itsBounds;
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    QWidget* previous = nullptr;
    itsTabStops.clear();
    for (const ControlEntry* entry : entries) {
        QWidget* widget = WidgetOf(*entry);
        QList<QWidget*> stops;
        if (widget->focusPolicy() & Qt::TabFocus)
            stops.append(widget);
        for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->focusPolicy() & Qt::TabFocus)
                stops.append(child);
        for (QWidget* stop : stops) {
            if (previous)
                QWidget::setTabOrder(previous, stop);
            previous = stop;
            itsTabStops.append(stop);
        }
    }
    if (!focusWidget())
        if (QWidget* first = FirstFocusable(nullptr))
            first->setFocus(Qt::OtherFocusReason);
}

QWidget* CQtWindowWidget::FirstFocusable(const QWidget* pLeaving) const
{
    // The chain is a ring with the window somewhere in it, so its start is
    // kept here rather than read from the ring.
    for (const QPointer<QWidget>& stop : itsTabStops)
        if (stop && stop != pLeaving && !(pLeaving && pLeaving->isAncestorOf(stop)) && stop->isVisibleTo(this)
            && stop->isEnabled())
            return stop;
    return nullptr;
}

QWidget* CQtWindowWidget::FocusAfter(const QWidget* pLeaving) const
{
    QWidget* first = FirstFocusable(pLeaving);
    auto* button = qobject_cast<QPushButton*>(first);
    if (!button || button->isDefault())
        return first;
    // A page of text alone (the confirmation) starts with Back: a second
    // Return there would undo the first one.
    for (const QPointer<QWidget>& stop : itsTabStops)
        if (auto* other = qobject_cast<QPushButton*>(stop.data()))
            if (other->isDefault() && other != pLeaving && other->isVisibleTo(this) && other->isEnabled())
                return other;
    return first;
}

CQtWindowView::CQtWindowView(CQtHost& theHost, CWindow& theWindow)
    : itsWidget(new CQtWindowWidget(theHost, theWindow))
{
}

CQtWindowView::~CQtWindowView()
{
    if (!itsWidget)
        return;
    itsWidget->Detach();
    itsWidget->hide();
    itsWidget->deleteLater();
}

void CQtWindowView::SetTitle(const Cstring& theTitle)
{
    itsWidget->setWindowTitle(QString::fromUtf8(theTitle.GetText()));
}

void CQtWindowView::SetFrame(const CRect& theFrame)
{
    itsWidget->move(theFrame.left, theFrame.top);
    itsWidget->resize(theFrame.Width(), theFrame.Height() + itsWidget->MenuBarHeight());
}

CRect CQtWindowView::GetFrame() const
{
    const QRect frame = itsWidget->geometry();
    const int bar = itsWidget->MenuBarHeight();
    return { frame.top(), frame.left(), frame.top() + frame.height() - bar, frame.left() + frame.width() };
}

void CQtWindowView::Show(bool bVisible)
{
    if (bVisible) {
        if (CQtDialogLayout* layout = itsWidget->Layout())
            layout->Apply(true);
        itsWidget->UpdateAccessibleNames();
        itsWidget->UpdateTabOrder();
    }
    itsWidget->setVisible(bVisible);
}

void CQtWindowView::BringToFront()
{
    itsWidget->raise();
    itsWidget->activateWindow();
}

void CQtWindowView::Invalidate(const CRect* pRect)
{
    if (pRect)
        itsWidget->Content()->update(pRect->left, pRect->top, pRect->Width(), pRect->Height());
    else
        itsWidget->Content()->update();
}

CDrawContext* CQtWindowView::BeginDraw()
{
    return &itsWidget->Content()->Backing();
}

void CQtWindowView::EndDraw()
{
    itsWidget->Content()->update();
}

void CQtWindowView::SetMenuBar(CMenuBar* pMenuBar)
{
    itsWidget->SetMenuBar(pMenuBar);
}

void CQtWindowView::SetBackground(int theRed, int theGreen, int theBlue)
{
    QPalette palette = itsWidget->palette();
    palette.setColor(QPalette::Window, QColor(theRed, theGreen, theBlue));
    itsWidget->setPalette(palette);
}
