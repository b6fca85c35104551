#include "reception/received_item_list.h"

#include <gtest/gtest.h>

#include <string>

namespace mirelo {
namespace {

ReceivedListItem Item(const std::string& subject) {
    ReceivedListItem item;
    item.subject = subject;
    return item;
}

std::string Subjects(const ReceivedItemList& list) {
    std::string all;
    for (const auto& item : list.Items()) all += item.subject;
    return all;
}

TEST(ReceivedItemList, NewestFirstAndANewListAfterClosing) {
    ReceivedItemList list;
    for (const char* subject : {"a", "b", "c"}) EXPECT_FALSE(list.Add(Item(subject)));
    EXPECT_EQ(Subjects(list), "cba");
    EXPECT_EQ(list.Added(), 3u);

    list.MarkClosed();
    EXPECT_TRUE(list.ListClosed());
    EXPECT_EQ(Subjects(list), "cba");  // kept until the next notification
    list.Add(Item("d"));
    EXPECT_FALSE(list.ListClosed());
    EXPECT_EQ(Subjects(list), "d");
    list.Add(Item("e"));
    EXPECT_EQ(Subjects(list), "ed");
    EXPECT_EQ(list.Added(), 5u);
}

TEST(ReceivedItemList, KeepsTheNewestThousand) {
    ReceivedItemList list;
    for (std::size_t i = 0; i < ReceivedItemList::kMaxItems; ++i) EXPECT_FALSE(list.Add(Item(std::to_string(i))));
    EXPECT_TRUE(list.Add(Item("new")));
    ASSERT_EQ(list.Items().size(), ReceivedItemList::kMaxItems);
    EXPECT_EQ(list.Items().front().subject, "new");
    EXPECT_EQ(list.Items().back().subject, "1");
    EXPECT_EQ(list.Added(), ReceivedItemList::kMaxItems + 1);
}

}  // namespace
}  // namespace mirelo
