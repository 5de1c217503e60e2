#pragma once

#include "foundation/Cstring.h"

#include <vector>

// The folder page's list of candidate folders: rows of text, at most one
// selected. The list view widget, when there is one, shows this state.
class CFolderList {
public:
    void RemoveAll()
    {
        itsRows.clear();
        itsSelected = -1;
    }
    void AddRow(const Cstring& theText) { itsRows.push_back(theText); }
    // -1 clears the selection.
    void Select(int theRow) { itsSelected = theRow >= 0 && theRow < RowCount() ? theRow : -1; }
    int GetSelected() const { return itsSelected; }
    bool HasSelection() const { return itsSelected >= 0; }
    int RowCount() const { return static_cast<int>(itsRows.size()); }
    const Cstring& RowText(int theRow) const { return itsRows.at(static_cast<size_t>(theRow)); }
    void Show(bool bShow) { bShown = bShow; }
    bool IsShown() const { return bShown; }

private:
    std::vector<Cstring> itsRows;
    int itsSelected = -1;
    bool bShown = false;
};
