#include "foundation/CList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class CNumber : public CListItem {
public:
    explicit CNumber(int theValue, int* pDeleted = nullptr)
        : itsValue(theValue)
        , itsDeleted(pDeleted)
    {
    }
    ~CNumber() override
    {
        if (itsDeleted)
            ++*itsDeleted;
    }
    int itsValue;
    int* itsDeleted;
};

void ExpectOrder(const CList& theList, const std::vector<int>& theValues)
{
    std::vector<int> forward;
    for (CListItem* item = theList.GetHead(); item; item = item->GetNext())
        forward.push_back(static_cast<CNumber*>(item)->itsValue);
    // Walking back from the tail must give the same order reversed, or a link is wrong.
    std::vector<int> backward;
    for (CListItem* item = theList.GetTail(); item; item = item->GetPrev())
        backward.insert(backward.begin(), static_cast<CNumber*>(item)->itsValue);
    EXPECT_EQ(forward, theValues);
    EXPECT_EQ(backward, theValues) << "walked back from the tail";
    EXPECT_EQ(theList.GetCount(), static_cast<int>(theValues.size()));
}

} // namespace

TEST(CList, InsertAtEveryPosition)
{
    CList list;
    CNumber one(1), two(2), three(3), four(4), zero(0);
    list.Append(&two);
    ExpectOrder(list, { 2 });
    EXPECT_EQ(list.GetHead(), list.GetTail());
    list.InsertHead(&one);
    list.InsertAfter(&four, &two); // after the tail: becomes the tail
    EXPECT_EQ(list.GetTail(), &four);
    list.InsertAfter(&three, &two); // in the middle
    list.Insert(&zero, nullptr);
    ExpectOrder(list, { 0, 1, 2, 3, 4 });
    EXPECT_EQ(two.GetOwner(), &list);
    while (list.RemoveHead()) { }
}

TEST(CList, RemoveFromEveryPositionAndReinsertElsewhere)
{
    CList list;
    CNumber a(1), b(2), c(3), d(4);
    for (CNumber* item : { &a, &b, &c, &d })
        list.Append(item);
    EXPECT_EQ(list.Remove(&b), &b);
    ExpectOrder(list, { 1, 3, 4 });
    list.Remove(&a);
    ExpectOrder(list, { 3, 4 });
    list.Remove(&d);
    ExpectOrder(list, { 3 });
    list.Remove(&c);
    ExpectOrder(list, {});
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.GetTail(), nullptr);
    EXPECT_EQ(list.Remove(nullptr), nullptr);
    EXPECT_EQ(c.GetOwner(), nullptr);

    CList other;
    other.Append(&c); // a removed item is free to join another list
    ExpectOrder(other, { 3 });
    other.Remove(&c);
}

TEST(CList, IterationMayDeleteTheItemItWasHanded)
{
    CList list;
    int deleted = 0;
    for (int i = 0; i < 5; ++i)
        list.Append(new CNumber(i, &deleted));
    CListIterator it(list);
    std::vector<int> seen;
    for (CListItem* item = it.First(); item; item = it.Next()) {
        seen.push_back(static_cast<CNumber*>(item)->itsValue);
        if (seen.back() % 2 == 0)
            delete list.Remove(item);
    }
    EXPECT_EQ(seen, (std::vector<int> { 0, 1, 2, 3, 4 }));
    ExpectOrder(list, { 1, 3 });
    list.DeleteAll();
    EXPECT_EQ(deleted, 5) << "DeleteAll destroys the derived objects";
    ExpectOrder(list, {});
}

TEST(CListDeathTest, MisuseFailsLoudly)
{
    EXPECT_DEATH(
        {
            CList list;
            list.Append(nullptr);
        },
        "failed assertion `pItem != NULL'");
    // An item of one list, appended to or removed from another.
    for (const bool bRemove : { false, true })
        EXPECT_DEATH(
            {
                CList first;
                CList second;
                CNumber item(1);
                first.Append(&item);
                bRemove ? (void)second.Remove(&item) : second.Append(&item);
            },
            "failed assertion `FALSE'")
            << (bRemove ? "removed" : "appended");
    EXPECT_DEATH(
        {
            CList list;
            CNumber* item = new CNumber(1);
            list.Append(item);
            delete item; // still linked
        },
        "failed assertion `itsOwner == NULL'");
}
