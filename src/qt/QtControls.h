#pragma once

#include "platform/controlentry.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class CQtHost;

// The widget of one control entry: the nearest Qt widget for its kind, placed
// at the entry's rectangle in its window. Clicks and edits come back to the
// owner window as the framework's commands and messages.
class CQtControl : public CControlView {
public:
    CQtControl(CQtHost& theHost, ControlEntry& theEntry, QWidget* pWidget);
    ~CQtControl() override;

    void ShowText(const Cstring& theText) override;
    void ShowValue(int32_t theValue) override;
    void ShowRange(int32_t theMinimum, int32_t theMaximum) override;
    void ShowEnabled(bool bEnabled) override;
    void ShowVisible(bool bVisible) override;
    void Redraw() override;
    void ShowBounds(const CRect& theBounds) override;
    void ShowDefault(bool bDefault) override;
    void TakeFocus() override;
    void DropFocus() override;
    void ShowAccessibleName(const Cstring& theName) override;
    bool TakeKey(const CKeyEvent& theKey) override;
    bool EditCommand(uint32_t theCommand) override;

    QWidget* Widget() const { return itsWidget; }
    ControlEntry& Entry() const { return itsEntry; }

private:
    void Connect();

    CQtHost& itsHost;
    ControlEntry& itsEntry;
    QPointer<QWidget> itsWidget;
};

// The widget for theEntry as a child of pParent; null for a kind without one.
std::unique_ptr<CControlView> MakeQtControl(CQtHost& theHost, QWidget* pParent, ControlEntry& theEntry);
// The control that a widget (or a widget inside it) belongs to, or null.
CQtControl* ControlOf(QWidget* pWidget);
// The name a screen reader gives an entry from its own text; empty for kinds
// whose text is their contents rather than their name.
Cstring AccessibleText(const ControlEntry& theEntry);
