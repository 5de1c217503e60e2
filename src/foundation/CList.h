#pragma once

#include <cstdint>

class CList;

// Base of every list element: the item carries its own links, so inserting
// never allocates. An item is in at most one list at a time.
class CListItem {
public:
    CListItem() = default;
    CListItem(const CListItem&) = delete;
    CListItem& operator=(const CListItem&) = delete;
    // Destroying an item that is still linked would leave its list pointing at
    // freed memory; that is a programming error and fails loudly.
    virtual ~CListItem();

    CListItem* GetNext() const { return itsNext; }
    CListItem* GetPrev() const { return itsPrev; }
    CList* GetOwner() const { return itsOwner; }

private:
    friend class CList;
    CListItem* itsNext = nullptr;
    CListItem* itsPrev = nullptr;
    CList* itsOwner = nullptr;
};

// Intrusive doubly linked list. It links and unlinks the caller's items; it
// owns them only in that DeleteAll deletes them, which holders call when they
// are destroyed.
class CList {
public:
    CList() = default;
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;
    ~CList();

    // After theAfter, or at the head when theAfter is null.
    void Insert(CListItem* pItem, CListItem* theAfter);
    void Append(CListItem* pItem) { Insert(pItem, itsTail); }
    void InsertHead(CListItem* pItem) { Insert(pItem, nullptr); }
    void InsertAfter(CListItem* pItem, CListItem* theAfter) { Insert(pItem, theAfter); }
    // Unlinks and hands the item back; it is not deleted.
    CListItem* Remove(CListItem* pItem);
    CListItem* RemoveHead() { return Remove(itsHead); }
    void DeleteAll();

    CListItem* GetHead() const { return itsHead; }
    CListItem* GetTail() const { return itsTail; }
    int32_t GetCount() const { return itsCount; }

private:
    CListItem* itsHead = nullptr;
    CListItem* itsTail = nullptr;
    int32_t itsCount = 0;
};

// Fetches the successor before handing an item out, so the caller may remove
// and delete the item it just received; removing the successor is not allowed.
class CListIterator {
public:
    explicit CListIterator(const CList& theList)
        : itsList(&theList)
        , itsCurrent(theList.GetHead())
    {
    }
    CListItem* First();
    CListItem* Next();

private:
    CListItem* Checked(CListItem* pItem);

    const CList* itsList;
    CListItem* itsCurrent;
    CListItem* itsNext = nullptr;
};
