#include "platform/DialogLayout.h"

#include <algorithm>
#include <numeric>

namespace {

// A gap wider than this between two rows is free space that yields before
// the window grows; narrower ones are the spacing of the rows.
const int kElasticGap = 24;
const int kLeastGap = 12;
// A list or a text box keeps room for three lines of its own.
const int kLeastStretch = 64;

struct Row {
    std::vector<size_t> itsItems; // left to right
    int itsTop = 0; // of the resource
    int itsBottom = 0;
    LayoutRegion itsRegion = LayoutRegion::kBody;
    int itsGap = 0; // above it, in the resource
    int itsLeastGap = 0;
    bool bBodyGap = false; // the gap above it lies in the body
    int itsNatural = 0; // its height with its items' needs met
    int itsLeast = 0; // with its lists and text boxes at their least
    int itsComfort = 0; // with them at the least they give up for a longer text
    bool bGrows = false; // holds a list or a text box, which takes spare height
    int itsHeight = 0; // as laid out
    int itsGapHeight = 0;
};

std::vector<Row> RowsOf(const std::vector<CLayoutItem>& theItems)
{
    std::vector<size_t> order(theItems.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t theA, size_t theB) {
        const CRect& a = theItems[theA].itsDesign;
        const CRect& b = theItems[theB].itsDesign;
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    std::vector<Row> rows;
    for (size_t index : order) {
        const CRect& rect = theItems[index].itsDesign;
        if (rows.empty() || rect.top >= rows.back().itsBottom)
            rows.push_back({ {}, rect.top, rect.bottom });
        Row& row = rows.back();
        row.itsItems.push_back(index);
        row.itsBottom = std::max(row.itsBottom, rect.bottom);
    }
    for (Row& row : rows)
        std::stable_sort(row.itsItems.begin(), row.itsItems.end(), [&](size_t theA, size_t theB) {
            return theItems[theA].itsDesign.left < theItems[theB].itsDesign.left;
        });
    return rows;
}

void AssignRegions(std::vector<Row>& theRows, const std::vector<CLayoutItem>& theItems)
{
    auto all = [&](const Row& theRow, auto theTest) {
        return std::all_of(theRow.itsItems.begin(), theRow.itsItems.end(),
            [&](size_t theItem) { return theTest(theItems[theItem]); });
    };
    if (theRows.size() >= 2 && all(theRows.back(), [](const CLayoutItem& theItem) {
            return theItem.itsRole == LayoutRole::kButton;
        }))
        theRows.back().itsRegion = LayoutRegion::kFooter;
    const bool bPages = std::any_of(
        theItems.begin(), theItems.end(), [](const CLayoutItem& theItem) { return !theItem.bOnEveryPage; });
    if (!bPages)
        return;
    for (Row& row : theRows) {
        if (row.itsRegion != LayoutRegion::kBody
            || !all(row, [](const CLayoutItem& theItem) { return theItem.bOnEveryPage; }))
            break;
        row.itsRegion = LayoutRegion::kHeader;
    }
}

// Items of a row that overlap across are not side by side: the row keeps
// the places of its resource.
bool IsStacked(const Row& theRow, const std::vector<CLayoutItem>& theItems)
{
    for (size_t i = 1; i < theRow.itsItems.size(); ++i)
        if (theItems[theRow.itsItems[i]].itsDesign.left < theItems[theRow.itsItems[i - 1]].itsDesign.right)
            return true;
    return false;
}

// The row's widest item that may take the row's room: not a button.
const CLayoutItem* Taker(const Row& theRow, const std::vector<CLayoutItem>& theItems, size_t& theIndex)
{
    const CLayoutItem* taker = nullptr;
    for (size_t index : theRow.itsItems) {
        const CLayoutItem& item = theItems[index];
        if (item.itsRole != LayoutRole::kButton
            && (!taker || item.itsDesign.Width() > taker->itsDesign.Width())) {
            taker = &item;
            theIndex = index;
        }
    }
    return taker;
}

int OwnWidth(const CLayoutItem& theItem)
{
    return std::max(theItem.itsDesign.Width(), theItem.itsWidth);
}

int GapBefore(const Row& theRow, size_t thePosition, const std::vector<CLayoutItem>& theItems)
{
    if (thePosition == 0)
        return 0;
    return std::max(0,
        theItems[theRow.itsItems[thePosition]].itsDesign.left
            - theItems[theRow.itsItems[thePosition - 1]].itsDesign.right);
}

// The width a row needs across, its resource margins included; its widest
// item at its least (bLeast), or as wide as its text on one line, within its
// resource width.
int RowWidth(const Row& theRow, const std::vector<CLayoutItem>& theItems, int theDesignWidth, int theLeftEdge,
    int theRightEdge, bool bLeast)
{
    if (IsStacked(theRow, theItems))
        return theDesignWidth;
    size_t taker = theItems.size();
    // Buttons at the right edge move along it: only the left margin is theirs.
    const bool bMoves
        = !Taker(theRow, theItems, taker) && theItems[theRow.itsItems.back()].itsDesign.right >= theRightEdge;
    int width = bMoves ? theLeftEdge : theItems[theRow.itsItems.front()].itsDesign.left;
    for (size_t i = 0; i < theRow.itsItems.size(); ++i) {
        const size_t index = theRow.itsItems[i];
        const CLayoutItem& item = theItems[index];
        width += GapBefore(theRow, i, theItems);
        if (index != taker)
            width += OwnWidth(item);
        else
            width += std::min(item.itsDesign.Width(), std::max(item.itsMinWidth, bLeast ? 1 : item.itsWidth));
    }
    return width + std::max(0, theDesignWidth - theRightEdge);
}

// Places the row's items across a window theGrowth wider than the resource.
void PlaceAcross(const Row& theRow, const std::vector<CLayoutItem>& theItems, int theRightEdge, int theGrowth,
    std::vector<CLayoutPlace>& thePlaces)
{
    const CLayoutItem& last = theItems[theRow.itsItems.back()];
    const bool bToTheEdge = last.itsDesign.right >= theRightEdge;
    const int right = last.itsDesign.right + (bToTheEdge ? theGrowth : 0);
    if (IsStacked(theRow, theItems)) {
        for (size_t index : theRow.itsItems) {
            const CRect& design = theItems[index].itsDesign;
            thePlaces[index].itsRect.left = design.left;
            thePlaces[index].itsRect.right = design.right + (design.right >= theRightEdge ? theGrowth : 0);
        }
        return;
    }
    size_t taker = theItems.size();
    if (Taker(theRow, theItems, taker)) {
        int others = 0;
        for (size_t i = 0; i < theRow.itsItems.size(); ++i)
            others += GapBefore(theRow, i, theItems)
                + (theRow.itsItems[i] == taker ? 0 : OwnWidth(theItems[theRow.itsItems[i]]));
        const int left = theItems[theRow.itsItems.front()].itsDesign.left;
        int x = left;
        for (size_t i = 0; i < theRow.itsItems.size(); ++i) {
            const size_t index = theRow.itsItems[i];
            const CLayoutItem& item = theItems[index];
            const int width = index == taker
                ? std::max(right - left - others, std::min(item.itsDesign.Width(), item.itsMinWidth))
                : OwnWidth(item);
            x += GapBefore(theRow, i, theItems);
            thePlaces[index].itsRect.left = x;
            thePlaces[index].itsRect.right = x + width;
            x += width;
        }
        return;
    }
    // Buttons alone: they stay with the edge they stand at.
    if (bToTheEdge) {
        int x = right;
        for (size_t i = theRow.itsItems.size(); i-- > 0;) {
            const size_t index = theRow.itsItems[i];
            thePlaces[index].itsRect.right = x;
            thePlaces[index].itsRect.left = x - OwnWidth(theItems[index]);
            x = thePlaces[index].itsRect.left - GapBefore(theRow, i, theItems);
        }
        return;
    }
    int x = theItems[theRow.itsItems.front()].itsDesign.left;
    for (size_t i = 0; i < theRow.itsItems.size(); ++i) {
        const size_t index = theRow.itsItems[i];
        x += GapBefore(theRow, i, theItems);
        thePlaces[index].itsRect.left = x;
        thePlaces[index].itsRect.right = x + OwnWidth(theItems[index]);
        x = thePlaces[index].itsRect.right;
    }
}

// The heights the row's items need at the widths they got.
void MeasureRow(Row& theRow, const std::vector<CLayoutItem>& theItems, std::vector<CLayoutPlace>& thePlaces,
    CLayoutMeasure& theMeasure)
{
    theRow.itsNatural = theRow.itsLeast = theRow.itsBottom - theRow.itsTop;
    int least = 0;
    int comfort = 0;
    for (size_t index : theRow.itsItems) {
        const CLayoutItem& item = theItems[index];
        CRect& rect = thePlaces[index].itsRect;
        const int offset = item.itsDesign.top - theRow.itsTop;
        int height = item.itsDesign.Height();
        if (item.itsRole == LayoutRole::kText || item.itsRole == LayoutRole::kButton)
            height = std::max(height, theMeasure.HeightFor(index, rect.Width()));
        rect.top = offset;
        rect.bottom = offset + height;
        theRow.itsNatural = std::max(theRow.itsNatural, offset + height);
        const bool bStretch = item.itsRole == LayoutRole::kStretch;
        theRow.bGrows |= bStretch;
        least = std::max(least,
            item.itsRole == LayoutRole::kSpace
                ? 0
                : offset + (bStretch ? std::min(height, kLeastStretch) : height));
        comfort = std::max(comfort,
            offset + (bStretch ? std::max(std::min(height, kLeastStretch), height * 2 / 3) : height));
    }
    theRow.itsLeast = least;
    theRow.itsComfort = comfort;
}

// Takes up to theAmount from the rows' room above theFloor (of each), the
// largest room first; returns what it could not take.
int Shrink(std::vector<Row*>& theRows, int theAmount, int Row::*theSize, int Row::*theFloor)
{
    std::stable_sort(theRows.begin(), theRows.end(), [&](const Row* pA, const Row* pB) {
        return pA->*theSize - pA->*theFloor > pB->*theSize - pB->*theFloor;
    });
    for (Row* row : theRows) {
        const int taken = std::min(theAmount, row->*theSize - row->*theFloor);
        row->*theSize -= taken;
        theAmount -= taken;
    }
    return theAmount;
}

} // namespace

CDialogLayout LayOutDialog(const std::vector<CLayoutItem>& theItems, const CRect& theDesign,
    const CRect& theWanted, const CRect& theAvailable, CLayoutMeasure& theMeasure)
{
    CDialogLayout layout;
    layout.itsPlaces.resize(theItems.size());
    const int designWidth = theDesign.Width();
    const int designHeight = theDesign.Height();
    std::vector<Row> rows = RowsOf(theItems);
    if (rows.empty()) {
        layout.itsWidth = layout.itsPreferredWidth = layout.itsMinWidth = designWidth;
        layout.itsHeight = layout.itsPreferredHeight = layout.itsMinHeight = designHeight;
        layout.itsBodyBottom = layout.itsBodyHeight = designHeight;
        return layout;
    }
    AssignRegions(rows, theItems);

    // Across: the window is as wide as its widest row needs, and as wide as
    // the resource while the screen has room.
    int rightEdge = 0;
    int leftEdge = designWidth;
    for (const CLayoutItem& item : theItems) {
        rightEdge = std::max(rightEdge, item.itsDesign.right);
        leftEdge = std::min(leftEdge, item.itsDesign.left);
    }
    int preferredWidth = designWidth;
    int leastWidth = 0;
    for (const Row& row : rows) {
        preferredWidth
            = std::max(preferredWidth, RowWidth(row, theItems, designWidth, leftEdge, rightEdge, false));
        leastWidth = std::max(leastWidth, RowWidth(row, theItems, designWidth, leftEdge, rightEdge, true));
    }
    const int width
        = std::max(std::min(std::max(theWanted.Width(), preferredWidth), theAvailable.Width()), leastWidth);
    for (Row& row : rows) {
        PlaceAcross(row, theItems, rightEdge, width - designWidth, layout.itsPlaces);
        MeasureRow(row, theItems, layout.itsPlaces, theMeasure);
        row.itsHeight = row.itsNatural;
    }

    // Down: the rows' needs, the gaps of the resource, and what may yield.
    int natural = 0;
    int gapRoom = 0;
    int comfortRoom = 0;
    int header = 0;
    int footer = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        Row& row = rows[i];
        row.itsGap = std::max(0, row.itsTop - (i == 0 ? 0 : rows[i - 1].itsBottom));
        // The space before the footer is the body's, so it may yield.
        const bool bBodyGap = row.itsRegion == LayoutRegion::kBody
            || (row.itsRegion == LayoutRegion::kFooter && rows[i - 1].itsRegion == LayoutRegion::kBody);
        row.bBodyGap = bBodyGap;
        row.itsLeastGap = bBodyGap && row.itsGap > kElasticGap ? kLeastGap : row.itsGap;
        row.itsGapHeight = row.itsGap;
        natural += row.itsGap + row.itsNatural;
        gapRoom += row.itsGap - row.itsLeastGap;
        if (row.itsRegion == LayoutRegion::kBody) {
            comfortRoom += row.itsNatural - row.itsComfort;
        } else if (row.itsRegion == LayoutRegion::kHeader)
            header += row.itsGap + row.itsNatural;
        else
            footer += (bBodyGap ? 0 : row.itsGap) + row.itsNatural;
    }
    const int bottomMargin = std::max(0, designHeight - rows.back().itsBottom);
    natural += bottomMargin;
    const bool bFooter = rows.back().itsRegion == LayoutRegion::kFooter;
    if (bFooter)
        footer += bottomMargin;
    // A longer text takes the free space and some of a list's or text box's
    // height before the window grows.
    const int preferredHeight = std::max(designHeight, natural - gapRoom - comfortRoom);
    const int leastHeight = header + footer + kLeastStretch;
    const int height = std::max(
        std::min(std::max(theWanted.Height(), preferredHeight), theAvailable.Height()), leastHeight);

    std::vector<Row*> gaps;
    std::vector<Row*> stretches;
    std::vector<Row*> growers;
    for (Row& row : rows) {
        if (row.itsLeastGap < row.itsGap)
            gaps.push_back(&row);
        if (row.itsRegion == LayoutRegion::kBody && row.itsLeast < row.itsNatural)
            stretches.push_back(&row);
        if (row.itsRegion == LayoutRegion::kBody && row.bGrows)
            growers.push_back(&row);
    }
    if (height >= natural) {
        // More room than the rows need: the lists and text boxes take it, or
        // else the widest free space.
        int extra = height - natural;
        for (size_t i = 0; i < growers.size(); ++i) {
            const int share = extra / int(growers.size() - i);
            growers[i]->itsHeight += share;
            extra -= share;
        }
        Row* widest = nullptr;
        for (Row& row : rows)
            if (row.bBodyGap && (!widest || row.itsGap > widest->itsGap))
                widest = &row;
        if (widest)
            widest->itsGapHeight += extra;
    } else {
        int missing = Shrink(gaps, natural - height, &Row::itsGapHeight, &Row::itsLeastGap);
        missing = Shrink(stretches, missing, &Row::itsHeight, &Row::itsComfort);
        Shrink(stretches, missing, &Row::itsHeight, &Row::itsLeast); // what is still missing scrolls
    }

    // Places: the header from the top, the footer from the bottom, the body
    // between them from its own top.
    int y = 0;
    size_t i = 0;
    for (; i < rows.size() && rows[i].itsRegion == LayoutRegion::kHeader; ++i) {
        y += rows[i].itsGapHeight;
        rows[i].itsTop = y;
        y += rows[i].itsHeight;
    }
    layout.itsBodyTop = y;
    int body = 0;
    for (; i < rows.size() && rows[i].itsRegion == LayoutRegion::kBody; ++i) {
        body += rows[i].itsGapHeight;
        rows[i].itsTop = body;
        body += rows[i].itsHeight;
    }
    int footerHeight = bottomMargin;
    for (size_t j = i; j < rows.size(); ++j)
        footerHeight += rows[j].itsHeight + (j == i ? 0 : rows[j].itsGapHeight);
    if (i < rows.size())
        body += rows[i].itsGapHeight;
    else
        body += bottomMargin;
    layout.itsBodyBottom = height - (i < rows.size() ? footerHeight : 0);
    layout.itsBodyHeight = std::max(body, layout.itsBodyBottom - layout.itsBodyTop);
    y = layout.itsBodyBottom;
    for (size_t j = i; j < rows.size(); ++j) {
        y += j == i ? 0 : rows[j].itsGapHeight;
        rows[j].itsTop = y;
        y += rows[j].itsHeight;
    }

    for (const Row& row : rows) {
        for (size_t index : row.itsItems) {
            CLayoutPlace& place = layout.itsPlaces[index];
            place.itsRegion = row.itsRegion;
            if (theItems[index].itsRole == LayoutRole::kStretch)
                place.itsRect.bottom = row.itsHeight;
            if (theItems[index].itsRole == LayoutRole::kSpace) {
                place.itsRect.bottom = std::min(place.itsRect.bottom, row.itsHeight);
                place.itsRect.top = std::min(place.itsRect.top, place.itsRect.bottom);
            }
            place.itsRect.top += row.itsTop;
            place.itsRect.bottom += row.itsTop;
        }
    }
    layout.itsWidth = width;
    layout.itsHeight = height;
    layout.itsPreferredWidth = preferredWidth;
    layout.itsPreferredHeight = preferredHeight;
    layout.itsMinWidth = leastWidth;
    layout.itsMinHeight = leastHeight;
    return layout;
}
