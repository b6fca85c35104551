#include "reception/received_item_list.h"

namespace mirelo {

bool ReceivedItemList::Add(ReceivedListItem item) {
    if (listClosed_) {
        items_.clear();
        listClosed_ = false;
    }
    items_.push_front(std::move(item));
    ++added_;
    if (items_.size() <= kMaxItems) return false;
    items_.pop_back();
    return true;
}

}  // namespace mirelo
