#include "qt/QtControls.h"

#include "platform/Resources.h"
#include "platform/Shell.h"
#include "platform/mbitmap.h"
#include "platform/mcwin.h"
#include "qt/QtDrawSurface.h"
#include "qt/QtHostImpl.h"
#include "qt/QtWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTreeWidget>

#include <algorithm>
#include <string>

namespace {

const char kControlProperty[] = "pwControl";

QString ToQt(const Cstring& theText)
{
    return QString::fromUtf8(theText.GetText());
}

// Button titles show an ampersand as it is, not as a mnemonic mark.
QString ButtonTitle(const Cstring& theText)
{
    return ToQt(theText).replace('&', "&&");
}

// The text engine's line ends are carriage returns; a line feed that followed
// one arrives as the blank it was turned into.
QString MultiLineText(const Cstring& theText)
{
    QString text = ToQt(theText);
    text.replace("\r ", "\n");
    text.replace('\r', '\n');
    return text;
}

QWidget* MakeWidget(int theKind, const ControlEntry& theEntry, QWidget* pParent)
{
    switch (theKind) {
    case kKindPushButton:
        return new QPushButton(pParent);
    case kKindCheckBox:
        return new QCheckBox(pParent);
    case kKindEditText:
        return new QLineEdit(pParent);
    case kKindGroupBox:
        return new QGroupBox(pParent);
    case kKindHScrollBar:
        return new QScrollBar(Qt::Horizontal, pParent);
    case kKindVScrollBar:
    case kKindLittleArrows:
        return new QScrollBar(Qt::Vertical, pParent);
    case kKindPopUp:
        return new QComboBox(pParent);
    case kKindCombo: {
        auto* combo = new QComboBox(pParent);
        combo->setEditable(true);
        return combo;
    }
    case kKindLabel:
    case kKindStaticText: {
        auto* label = new QLabel(pParent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case kKindTab:
        return new QTabBar(pParent);
    case kKindRadioButton: {
        auto* radio = new QRadioButton(pParent);
        radio->setAutoExclusive(false); // the window sets the values of a group
        return radio;
    }
    case kKindMultiLineText:
    case kKindEditMultiLineText: {
        auto* text = new QPlainTextEdit(pParent);
        text->setReadOnly(theKind == kKindMultiLineText);
        text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        // Lines wrap, so only the editable text needs a horizontal bar.
        if (theKind == kKindMultiLineText) {
            text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            // A text to read is scrolled with the keys and left with Tab.
            text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
            text->setTabChangesFocus(true);
        }
        return text;
    }
    case kKindPicture: {
        auto* picture = new QLabel(pParent);
        const int pictId = std::atoi(theEntry.itsText.GetText());
        // Through the bitmap, so a picture resource is read as every image is.
        if (CBitmap bitmap; bitmap.LoadResource(pictId))
            picture->setPixmap(QPixmap::fromImage(ToQImage(bitmap.GetPicture()->itsImage)));
        picture->setAlignment(Qt::AlignCenter);
        return picture;
    }
    case kKindUserPane:
        return new QWidget(pParent);
    case kKindListView: {
        auto* list = new QTreeWidget(pParent);
        list->setHeaderHidden(true);
        list->setRootIsDecorated(false);
        return list;
    }
    case kKindProgressBar: {
        auto* bar = new QProgressBar(pParent);
        bar->setTextVisible(false); // the percentage is an item of its own
        return bar;
    }
    default:
        return nullptr;
    }
}

// The framework's scroll parts for the toolkit's slider actions.
int ScrollPart(int theAction)
{
    switch (theAction) {
    case QAbstractSlider::SliderSingleStepSub:
        return 20;
    case QAbstractSlider::SliderSingleStepAdd:
        return 21;
    case QAbstractSlider::SliderPageStepSub:
        return 22;
    case QAbstractSlider::SliderPageStepAdd:
        return 23;
    default:
        return 129;
    }
}

// A control that is about to go away hands the focus to the top of the page
// that replaces it. The toolkit would pass it on to the next control, which
// after a wizard's Next is its Cancel button: a second Return would then ask
// to leave.
void HandOnFocus(QWidget* pWidget)
{
    if (!pWidget->hasFocus() && !pWidget->isAncestorOf(QApplication::focusWidget()))
        return;
    if (auto* window = dynamic_cast<CQtWindowWidget*>(pWidget->window()))
        if (QWidget* next = window->FocusAfter(pWidget))
            next->setFocus(Qt::OtherFocusReason);
}

// The layout of the dialog the widget is in, once it lays out.
CQtDialogLayout* LayoutOf(QWidget* pWidget)
{
    auto* window = dynamic_cast<CQtWindowWidget*>(pWidget->window());
    CQtDialogLayout* layout = window ? window->Layout() : nullptr;
    return layout && layout->IsActive() ? layout : nullptr;
}

} // namespace

Cstring AccessibleText(const ControlEntry& theEntry)
{
    if (theEntry.itsAccessibleName.IsNotEmpty())
        return theEntry.itsAccessibleName;
    switch (theEntry.itsKind) {
    case kKindPushButton:
    case kKindCheckBox:
    case kKindRadioButton:
    case kKindGroupBox:
    case kKindLabel:
    case kKindStaticText:
        return DisplayText(theEntry);
    case kKindMultiLineText: {
        // A text to read is named by its first line, as a heading would.
        std::string text = theEntry.itsText.GetText();
        text = text.substr(0, std::min(text.find_first_of("\r\n"), size_t(80)));
        return Cstring(text.c_str());
    }
    default:
        return Cstring();
    }
}

CQtControl* ControlOf(QWidget* pWidget)
{
    for (QWidget* widget = pWidget; widget; widget = widget->parentWidget()) {
        const QVariant control = widget->property(kControlProperty);
        if (control.isValid())
            return reinterpret_cast<CQtControl*>(control.value<quintptr>());
        if (widget->isWindow())
            break;
    }
    return nullptr;
}

std::unique_ptr<CControlView> MakeQtControl(CQtHost& theHost, QWidget* pParent, ControlEntry& theEntry)
{
    QWidget* widget = MakeWidget(theEntry.itsKind, theEntry, pParent);
    if (!widget)
        return nullptr;
    auto control = std::make_unique<CQtControl>(theHost, theEntry, widget);
    control->ShowBounds(theEntry.itsBounds);
    return control;
}

CQtControl::CQtControl(CQtHost& theHost, ControlEntry& theEntry, QWidget* pWidget)
    : itsHost(theHost)
    , itsEntry(theEntry)
    , itsWidget(pWidget)
{
    pWidget->setProperty(kControlProperty, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
    Connect();
}

CQtControl::~CQtControl()
{
    if (!itsWidget)
        return;
    // Later, not now: the widget may be inside one of its own handlers.
    itsWidget->setProperty(kControlProperty, QVariant());
    itsWidget->disconnect();
    itsWidget->hide();
    itsWidget->deleteLater();
}

void CQtControl::Connect()
{
    ControlEntry& entry = itsEntry;
    // The owner hears of a click with the entry's ID as it is then.
    auto command = [&entry](int theCode) {
        CWindow* owner = entry.itsOwner;
        if (owner && entry.itsItemId > 0 && Shell().IsLive(owner)) {
            owner->DoCommand(entry.itsItemId, theCode, 0);
            Shell().AfterEvent();
        }
    };
    if (auto* radio = qobject_cast<QRadioButton*>(itsWidget.data())) {
        QObject::connect(radio, &QAbstractButton::clicked, [radio, &entry, command](bool) {
            radio->setChecked(entry.itsValue != 0); // no toggle of its own
            command(0);
        });
    } else if (auto* box = qobject_cast<QCheckBox*>(itsWidget.data())) {
        QObject::connect(box, &QAbstractButton::clicked, [&entry, command](bool bChecked) {
            entry.itsValue = bChecked ? 1 : 0;
            command(0);
        });
    } else if (auto* button = qobject_cast<QAbstractButton*>(itsWidget.data())) {
        QObject::connect(button, &QAbstractButton::clicked, [command](bool) { command(0); });
    } else if (auto* combo = qobject_cast<QComboBox*>(itsWidget.data())) {
        QObject::connect(combo, &QComboBox::activated, [&entry, command](int theIndex) {
            entry.itsValue = theIndex + 1;
            command(1);
        });
    } else if (auto* tabs = qobject_cast<QTabBar*>(itsWidget.data())) {
        QObject::connect(tabs, &QTabBar::tabBarClicked, [&entry, command](int theIndex) {
            entry.itsValue = theIndex + 1;
            command(0);
        });
    } else if (auto* edit = qobject_cast<QLineEdit*>(itsWidget.data())) {
        QObject::connect(edit, &QLineEdit::textEdited, [&entry](const QString& theText) {
            entry.itsText = theText.toUtf8().constData();
            PostWindowMessage(entry.itsOwner, kMsgTextChanged, entry.itsItemId, 0);
        });
    } else if (auto* bar = qobject_cast<QScrollBar*>(itsWidget.data())) {
        QObject::connect(bar, &QAbstractSlider::actionTriggered, [bar, &entry](int theAction) {
            CWindow* owner = entry.itsOwner;
            if (!owner || !Shell().IsLive(owner))
                return;
            const int part = ScrollPart(theAction);
            if (entry.itsKind == kKindHScrollBar)
                owner->OnHScroll(entry.itsItemId, part, bar->sliderPosition());
            else if (entry.itsKind != kKindLittleArrows || part == 20 || part == 21)
                owner->OnVScroll(entry.itsItemId, part, bar->sliderPosition());
        });
    }
}

void CQtControl::ShowText(const Cstring& theText)
{
    QWidget* widget = itsWidget;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        // A carriage return ends a line here too: the confirmation's note on
        // the kit's origin is a paragraph of its own.
        if (itsEntry.itsKind != kKindPicture)
            label->setText(ToQt(theText).replace("\r\n", "\n").replace('\r', '\n'));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(ButtonTitle(theText));
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(ToQt(theText));
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
        text->setPlainText(MultiLineText(theText));
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(ButtonTitle(theText));
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->isEditable())
            combo->setEditText(ToQt(theText));
        else if (!theText.IsEmpty() && combo->findText(ToQt(theText)) < 0)
            combo->addItem(ToQt(theText));
    } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
        while (tabs->count() > 0)
            tabs->removeTab(0);
        for (const QString& title : ToQt(theText).split('|', Qt::SkipEmptyParts))
            tabs->addTab(title);
    }
    const Cstring name = AccessibleText(itsEntry);
    if (name.IsNotEmpty())
        widget->setAccessibleName(ToQt(name));
    if (CQtDialogLayout* layout = LayoutOf(widget))
        layout->TextChanged(itsEntry);
}

void CQtControl::ShowValue(int32_t theValue)
{
    QWidget* widget = itsWidget;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (button->isCheckable())
            button->setChecked(theValue != 0);
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(widget)) {
        slider->setValue(theValue);
    } else if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
        bar->setValue(theValue);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (!combo->isEditable() && theValue >= 1 && theValue <= combo->count())
            combo->setCurrentIndex(theValue - 1);
    } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
        if (theValue >= 1 && theValue <= tabs->count())
            tabs->setCurrentIndex(theValue - 1);
    }
}

void CQtControl::ShowRange(int32_t theMinimum, int32_t theMaximum)
{
    if (auto* slider = qobject_cast<QAbstractSlider*>(itsWidget.data()))
        slider->setRange(theMinimum, theMaximum);
    else if (auto* bar = qobject_cast<QProgressBar*>(itsWidget.data()))
        bar->setRange(theMinimum, theMaximum);
}

void CQtControl::ShowEnabled(bool bEnabled)
{
    if (!bEnabled)
        HandOnFocus(itsWidget);
    itsWidget->setEnabled(bEnabled);
}

void CQtControl::ShowVisible(bool bVisible)
{
    if (!bVisible)
        HandOnFocus(itsWidget);
    itsWidget->setVisible(bVisible);
    // What shows of a page decides where its rows stand.
    if (CQtDialogLayout* layout = LayoutOf(itsWidget))
        layout->Apply();
}

void CQtControl::Redraw()
{
    // At once: during a run the loop is blocked and an update would wait.
    if (itsWidget->isVisible())
        itsWidget->repaint();
}

void CQtControl::ShowBounds(const CRect& theBounds)
{
    // In a laid-out dialog the rectangle is the item's least room.
    if (CQtDialogLayout* layout = LayoutOf(itsWidget)) {
        layout->Apply();
        return;
    }
    itsWidget->setGeometry(theBounds.left, theBounds.top, theBounds.Width(), theBounds.Height());
}

void CQtControl::ShowDefault(bool bDefault)
{
    if (auto* button = qobject_cast<QPushButton*>(itsWidget.data()))
        button->setDefault(bDefault);
}

void CQtControl::TakeFocus()
{
    itsWidget->setFocus(Qt::TabFocusReason);
}

void CQtControl::ShowAccessibleName(const Cstring& theName)
{
    // A list placed on the item speaks with its name, and so does its one
    // column; the pane around it says nothing, or the name is heard twice.
    const QList<QTreeWidget*> lists = itsWidget->findChildren<QTreeWidget*>(Qt::FindDirectChildrenOnly);
    itsWidget->setAccessibleName(lists.isEmpty() ? ToQt(theName) : QString());
    for (QTreeWidget* list : lists) {
        list->setAccessibleName(ToQt(theName));
        list->setHeaderLabels({ ToQt(theName) });
    }
}

void CQtControl::DropFocus()
{
    itsWidget->clearFocus();
}

bool CQtControl::TakeKey(const CKeyEvent& theKey)
{
    return itsHost.ForwardKey(itsWidget, theKey, nullptr);
}

bool CQtControl::EditCommand(uint32_t theCommand)
{
    QWidget* widget = itsWidget;
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        widget = combo->lineEdit();
    auto* edit = qobject_cast<QLineEdit*>(widget);
    auto* text = qobject_cast<QPlainTextEdit*>(widget);
    if (!edit && !text)
        return false;
    if (theCommand == FourCharCode("undo"))
        edit ? edit->undo() : text->undo();
    else if (theCommand == FourCharCode("redo"))
        edit ? edit->redo() : text->redo();
    else if (theCommand == FourCharCode("cut "))
        edit ? edit->cut() : text->cut();
    else if (theCommand == FourCharCode("copy"))
        edit ? edit->copy() : text->copy();
    else if (theCommand == FourCharCode("past"))
        edit ? edit->paste() : text->paste();
    else if (theCommand == FourCharCode("sall"))
        edit ? edit->selectAll() : text->selectAll();
    else
        return false;
    return true;
}
