#include "qt/QtDialogLayout.h"

#include "platform/DialogLayout.h"
#include "platform/mcwin.h"
#include "qt/QtHostImpl.h"
#include "qt/QtWindow.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace {

LayoutRole RoleOf(int theKind)
{
    switch (theKind) {
    case kKindLabel:
    case kKindStaticText:
    case kKindCheckBox:
    case kKindRadioButton:
        return LayoutRole::kText;
    case kKindPushButton:
        return LayoutRole::kButton;
    case kKindMultiLineText:
    case kKindEditMultiLineText:
    case kKindUserPane:
    case kKindListView:
        return LayoutRole::kStretch;
    default:
        return LayoutRole::kFixed;
    }
}

// What a label needs across to show its text without wrapping it.
int LineWidth(const QLabel& theLabel)
{
    const QMargins margins = theLabel.contentsMargins();
    return theLabel.fontMetrics().size(0, theLabel.text()).width() + 2 * theLabel.margin() + margins.left()
        + margins.right();
}

class CWidgetMeasure : public CLayoutMeasure {
public:
    explicit CWidgetMeasure(const std::vector<QWidget*>& theWidgets)
        : itsWidgets(theWidgets)
    {
    }
    int HeightFor(size_t theItem, int theWidth) override
    {
        const QWidget* widget = itsWidgets[theItem];
        return widget->hasHeightForWidth() ? widget->heightForWidth(theWidth) : widget->sizeHint().height();
    }

private:
    const std::vector<QWidget*>& itsWidgets;
};

} // namespace

CQtDialogLayout::CQtDialogLayout(CWindow& theWindow, CQtWindowWidget* pWindow, QWidget* pContent)
    : itsWindow(theWindow)
    , itsTop(pWindow)
    , itsContent(pContent)
{
    const CRect& frame = theWindow.GetFrame();
    itsDesign = { 0, 0, frame.Height(), frame.Width() };
}

QWidget* CQtDialogLayout::Body() const
{
    return itsBody;
}

CRect CQtDialogLayout::Available() const
{
    const QScreen* screen = itsTop->screen();
    if (!screen)
        return { 0, 0, 1 << 15, 1 << 15 };
    // What the window manager's frame and the window's menu bar take.
    const QSize frame = itsTop->frameGeometry().size() - itsTop->geometry().size();
    const QRect area = screen->availableGeometry();
    return { 0, 0, area.height() - frame.height() - itsTop->MenuBarHeight(), area.width() - frame.width() };
}

void CQtDialogLayout::Apply(bool bStart)
{
    bActive |= bStart;
    if (!bActive || bApplying)
        return;
    bApplying = true;
    if (!itsScroller) {
        itsScroller = new QScrollArea(itsContent);
        itsScroller->setFrameShape(QFrame::NoFrame);
        itsScroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        itsScroller->setWidgetResizable(false);
        itsScroller->viewport()->setAutoFillBackground(false);
        itsScroller->setFocusPolicy(Qt::NoFocus);
        itsBody = new QWidget;
        itsBody->setAutoFillBackground(false);
        itsScroller->setWidget(itsBody);
        itsScroller->lower(); // under the header and the footer
        itsScroller->show();
    }

    std::vector<CLayoutItem> items;
    std::vector<QWidget*> widgets;
    std::vector<const ControlEntry*> entries;
    for (const auto& entry : itsWindow.Entries()) {
        QWidget* widget = WidgetOf(*entry);
        if (!widget || widget->isHidden())
            continue;
        CLayoutItem item;
        item.itsDesign = entry->itsBounds;
        const auto* label = qobject_cast<QLabel*>(widget);
        item.itsRole = entry->itsKind == kKindPicture ? LayoutRole::kFixed : RoleOf(entry->itsKind);
        item.bOnEveryPage = entry->itsPage == 0;
        if (label && item.itsRole == LayoutRole::kText && label->text().trimmed().isEmpty()) {
            item.itsRole = LayoutRole::kSpace;
        } else if (label && item.itsRole == LayoutRole::kText) {
            item.itsWidth = LineWidth(*label);
            item.itsMinWidth = label->minimumSizeHint().width();
        } else if (item.itsRole == LayoutRole::kText || item.itsRole == LayoutRole::kButton) {
            item.itsWidth = item.itsMinWidth = widget->sizeHint().width();
        } else {
            item.itsMinWidth = std::min(item.itsDesign.Width(), 64);
        }
        items.push_back(item);
        widgets.push_back(widget);
        entries.push_back(entry.get());
    }
    CWidgetMeasure measure(widgets);
    // The content's own size may wait for the window to show.
    const int menuBar = itsTop->MenuBarHeight();
    const CRect wanted { 0, 0, itsTop->height() - menuBar, itsTop->width() };
    const CDialogLayout layout = LayOutDialog(items, itsDesign, wanted, Available(), measure);

    const int viewport = layout.itsBodyBottom - layout.itsBodyTop;
    const bool bScrolls = layout.itsBodyHeight > viewport;
    const int bar = bScrolls ? itsScroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    itsScroller->setGeometry(0, layout.itsBodyTop, layout.itsWidth, viewport);
    itsScroller->setVerticalScrollBarPolicy(bScrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    itsBody->resize(layout.itsWidth - bar, layout.itsBodyHeight);
    for (size_t i = 0; i < widgets.size(); ++i) {
        QWidget* widget = widgets[i];
        QWidget* parent = layout.itsPlaces[i].itsRegion == LayoutRegion::kBody ? itsBody.data() : itsContent;
        if (widget->parentWidget() != parent) {
            const bool bFocus = widget->hasFocus();
            widget->setParent(parent);
            widget->show();
            if (bFocus)
                widget->setFocus(Qt::OtherFocusReason);
        }
        const CRect& rect = layout.itsPlaces[i].itsRect;
        widget->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    }

    // The window: what the layout needs, at least what it may shrink to.
    const CRect available = Available();
    const QSize least(std::min(layout.itsMinWidth, available.Width()),
        std::min(layout.itsMinHeight, available.Height()) + menuBar);
    if (itsTop->minimumSize() != least)
        itsTop->setMinimumSize(least);
    if (layout.itsWidth != wanted.Width() || layout.itsHeight != wanted.Height())
        itsTop->resize(layout.itsWidth, layout.itsHeight + menuBar);
    // A window that grew past the screen's edge comes back onto it.
    if (const QScreen* screen = itsTop->screen()) {
        const QRect area = screen->availableGeometry();
        const QRect frame = itsTop->frameGeometry();
        const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
        const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
        if (x != frame.left() || y != frame.top())
            itsTop->move(x, y);
    }
    bApplying = false;
}

void CQtDialogLayout::TextChanged(const ControlEntry& theEntry)
{
    QWidget* widget = WidgetOf(theEntry);
    if (!bActive || !widget || widget->isHidden())
        return;
    const QSize size = widget->size();
    bool bFits = true;
    if (const auto* label = qobject_cast<QLabel*>(widget)) {
        // One line that fits across, the run's texts as a rule, is cheap to tell.
        const QString text = label->text();
        const QFontMetrics metrics = label->fontMetrics();
        const QMargins margins = label->contentsMargins();
        if (!text.contains('\n')
            && metrics.horizontalAdvance(text) + 2 * label->margin() + margins.left() + margins.right()
                < size.width()
            && metrics.height() <= size.height())
            return;
        bFits = label->heightForWidth(size.width()) <= size.height()
            && label->minimumSizeHint().width() <= size.width();
    } else if (qobject_cast<QAbstractButton*>(widget)) {
        const QSize hint = widget->sizeHint();
        bFits = hint.width() <= size.width() && hint.height() <= size.height();
    }
    if (!bFits)
        Apply();
}
