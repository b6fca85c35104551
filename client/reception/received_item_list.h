#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "reception/received_list_item.h"

namespace mirelo {

// The items listed since the user last closed the list window, newest first. The list keeps the
// newest kMaxItems; older ones are dropped, as nobody reads that many rows.
class ReceivedItemList {
public:
    static constexpr std::size_t kMaxItems = 1000;

    // Puts the item at the head. When the user closed the window since it was last shown, the
    // earlier items go first, so that the reopened window starts with this one. Returns whether the
    // oldest item was dropped to keep the bound.
    bool Add(ReceivedListItem item);
    // The user closed the window; the next Add starts a new list.
    void MarkClosed() { listClosed_ = true; }
    bool ListClosed() const { return listClosed_; }

    const std::deque<ReceivedListItem>& Items() const { return items_; }
    // How many items were ever added: a window that remembers it knows how many are new to it.
    std::uint64_t Added() const { return added_; }

private:
    std::deque<ReceivedListItem> items_;
    std::uint64_t added_ = 0;
    bool listClosed_ = false;
};

}  // namespace mirelo
