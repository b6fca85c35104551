#pragma once

#include <windows.h>

#include <vector>

#include "reception/received_item_list.h"

namespace mirelo {

class CReceivedListDlg;

// Received-list mode: the notifications collect in one modeless window (dialog 209), newest first,
// instead of popping up. Closing the window starts a new list with the next notification. The client
// keeps one owner for all its receiving sockets.
class CReceivedListOwner {
public:
    CReceivedListOwner() = default;
    ~CReceivedListOwner();
    CReceivedListOwner(const CReceivedListOwner&) = delete;
    CReceivedListOwner& operator=(const CReceivedListOwner&) = delete;

    // Puts a notification at the head of the list and shows the list in front.
    void Add(ReceivedListItem item);
    // Puts several notifications at the head, the last one on top, and shows the list once.
    void Add(std::vector<ReceivedListItem> items);
    // The open window, null when none.
    HWND Window() const;
    // The window tells its owner that it is going.
    void OnDialogClosed();

private:
    void ShowReceivedList();

    ReceivedItemList items_;
    CReceivedListDlg* dialog_ = nullptr;
};

}  // namespace mirelo
