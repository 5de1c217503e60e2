#include "foundation/CList.h"

#include "foundation/Assert.h"

CListItem::~CListItem()
{
    PW_ASSERT(itsOwner == NULL);
}

CList::~CList()
{
    // Items outlive a list only if their holder forgot DeleteAll; unlink them so
    // the guard in ~CListItem does not fire on an item whose list is gone.
    while (itsHead)
        Remove(itsHead);
}

void CList::Insert(CListItem* pItem, CListItem* theAfter)
{
    PW_ASSERT(pItem != NULL);
    PW_ASSERT_TEXT(pItem->itsOwner == nullptr, "FALSE");
    PW_ASSERT_TEXT(pItem->itsNext == nullptr && pItem->itsPrev == nullptr, "FALSE");
    pItem->itsOwner = this;
    if (!itsHead) {
        itsHead = itsTail = pItem;
    } else if (!theAfter) {
        pItem->itsNext = itsHead;
        itsHead->itsPrev = pItem;
        itsHead = pItem;
    } else {
        PW_ASSERT_TEXT(theAfter->itsOwner == this, "FALSE");
        pItem->itsPrev = theAfter;
        pItem->itsNext = theAfter->itsNext;
        if (theAfter->itsNext)
            theAfter->itsNext->itsPrev = pItem;
        else
            itsTail = pItem;
        theAfter->itsNext = pItem;
    }
    ++itsCount;
}

CListItem* CList::Remove(CListItem* pItem)
{
    if (!pItem)
        return nullptr;
    PW_ASSERT_TEXT(pItem->itsOwner == this, "FALSE");
    if (!pItem->itsNext) {
        PW_ASSERT_TEXT(itsTail == pItem, "FALSE");
        itsTail = pItem->itsPrev;
    } else {
        pItem->itsNext->itsPrev = pItem->itsPrev;
    }
    if (!pItem->itsPrev) {
        PW_ASSERT_TEXT(itsHead == pItem, "FALSE");
        itsHead = pItem->itsNext;
    } else {
        pItem->itsPrev->itsNext = pItem->itsNext;
    }
    pItem->itsOwner = nullptr;
    pItem->itsNext = pItem->itsPrev = nullptr;
    --itsCount;
    return pItem;
}

void CList::DeleteAll()
{
    while (CListItem* item = RemoveHead())
        delete item;
}

CListItem* CListIterator::Checked(CListItem* pItem)
{
    if (pItem) {
        PW_ASSERT_TEXT(pItem->GetOwner() == itsList, "FALSE");
        itsNext = pItem->GetNext();
    } else {
        itsNext = nullptr;
    }
    itsCurrent = pItem;
    return pItem;
}

CListItem* CListIterator::First()
{
    return Checked(itsList->GetHead());
}

CListItem* CListIterator::Next()
{
    return Checked(itsNext);
}
