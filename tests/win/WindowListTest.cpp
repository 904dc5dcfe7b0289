#include "plugin/WindowList.h"

#include <gtest/gtest.h>

namespace {

HWND W(int n)
{
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(n));
}

TEST(WindowListTest, AppendFindRemoveKeepHeadAndTailRight)
{
    WindowList list;
    EXPECT_EQ(list.Append(nullptr), nullptr);  // a failed allocation adds nothing
    EXPECT_EQ(list.head, nullptr);
    list.Remove(W(1));  // empty list: nothing happens

    list.Append(new WindowRecord(W(1)));
    list.Append(new WindowRecord(W(2)));
    list.Append(new WindowRecord(W(3)));
    EXPECT_EQ(list.head->window, W(1));
    EXPECT_EQ(list.tail->window, W(3));
    EXPECT_EQ(list.Find(W(2))->window, W(2));
    EXPECT_EQ(list.Find(W(9)), nullptr);

    list.Remove(W(3));  // the tail: its predecessor takes over
    EXPECT_EQ(list.tail->window, W(2));
    list.Append(new WindowRecord(W(4)));
    EXPECT_EQ(list.head->next->next->window, W(4));

    list.Remove(W(1));  // the head: the next record becomes the head
    EXPECT_EQ(list.head->window, W(2));
    list.Remove(W(9));  // unknown: unchanged
    EXPECT_EQ(list.head->window, W(2));

    list.Remove(W(2));
    list.Remove(W(4));
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.tail, nullptr);
    list.Append(new WindowRecord(W(5)));  // emptied, then filled again
    EXPECT_EQ(list.head, list.tail);
}

TEST(WindowListTest, DuplicatesAreKeptAndRemovedOneAtATime)
{
    WindowList list;
    WindowRecord* first = list.Append(new WindowRecord(W(7)));
    WindowRecord* second = list.Append(new WindowRecord(W(7)));
    EXPECT_EQ(list.Find(W(7)), first);
    list.Remove(W(7));
    EXPECT_EQ(list.Find(W(7)), second);
    EXPECT_EQ(list.head, list.tail);
}

}  // namespace
