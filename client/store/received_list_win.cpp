#include "store/received_list_win.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <deque>
#include <string>
#include <utility>

#include "core/settings_win.h"
#include "forwarding/forwarding_win.h"
#include "resources/resource.h"
#include "resources/string_ids.h"
#include "store/macros_win.h"
#include "store/sort_list_ctrl_win.h"
#include "win/dialog.h"
#include "win/log.h"
#include "win/resources.h"

namespace mirelo {

namespace {

constexpr UINT kOpenRowMessage = WM_APP + 1;
constexpr char kOpenFunction[] = "NotifyClicknView";
// A shorter link cannot be a page of the groupware.
constexpr std::size_t kMinLinkLength = 5;

}  // namespace

class CReceivedListDlg final : public win::Dialog {
public:
    explicit CReceivedListDlg(CReceivedListOwner& owner) : Dialog(IDD_RECEIVED_LIST), owner_(&owner) {}

    // The owner is going: the window no longer reports to it.
    void Detach() { owner_ = nullptr; }
    // Brings the rows up to the item list; returns how many rows the window shows.
    int Show(const ReceivedItemList& items);

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(int id, int notifyCode) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalDestroy() override {
        if (owner_ != nullptr) owner_->OnDialogClosed();
    }

private:
    void OnDoubleClick(const NMITEMACTIVATE& activate);
    void OpenNextRow();

    CReceivedListOwner* owner_;
    CSortListCtrl list_;
    std::uint64_t shownAdded_ = 0;
    // Links to hand on, each after the double-click that chose it has been handled by the list.
    std::deque<std::pair<int, std::string>> toOpen_;
};

BOOL CReceivedListDlg::OnInitDialog() {
    list_.Attach(GetDlgItem(Handle(), IDC_RECEIVED_LIST), kListFixedColumns, IDB_LIST_ROWS);
    const TextLoader& texts = win::ResourceTexts();
    std::array<std::string, kListColumnCount> headers;
    std::array<int, kListColumnCount> needed{};
    for (std::size_t column = 0; column < headers.size(); ++column) {
        headers[column] = ListHeaderText(static_cast<int>(column), texts);
        needed[column] = list_.CellWidth(headers[column]);
    }
    for (int id : kListKindTextIds) {
        const std::string text = id == IDS_LISTKIND_REVIEW ? ExpandMacros(texts(id)) : texts(id);
        needed[1] = std::max(needed[1], list_.CellWidth(text));
    }
    needed[2] = std::max(needed[2], list_.CellWidth("00:00"));
    const auto widths = FitListColumns(needed);
    for (std::size_t column = 0; column < headers.size(); ++column) {
        list_.InsertColumn(static_cast<int>(column), headers[column], widths[column]);
    }
    return TRUE;
}

int CReceivedListDlg::Show(const ReceivedItemList& items) {
    const auto& all = items.Items();
    const RowSync sync = PlanRowSync(static_cast<std::size_t>(list_.RowCount()), list_.InArrivalOrder(), shownAdded_,
                                     items.Added(), all.size());
    const bool showApprConst = Settings().ShowApprConst;
    const auto row = [&](std::size_t i) {
        return BuildListRow(all[i], showApprConst, win::ResourceTexts(), ExpandMacros);
    };
    const bool many = sync.refill || sync.insertOnTop > 1;
    if (many) list_.SetRedraw(false);
    if (sync.refill) list_.DeleteAllRows();
    const std::size_t insert = sync.refill ? all.size() : sync.insertOnTop;
    for (std::size_t i = 0; i < insert; ++i) list_.InsertRow(static_cast<int>(i), row(i));
    while (static_cast<std::size_t>(list_.RowCount()) > sync.keepRows) list_.DeleteRow(list_.RowCount() - 1);
    if (many) list_.SetRedraw(true);
    shownAdded_ = items.Added();
    return list_.RowCount();
}

BOOL CReceivedListDlg::OnCommand(int id, int) {
    if (id != IDOK && id != IDCANCEL) return FALSE;
    win::Log("received list closed\n");
    DestroyWindow(Handle());  // deletes this object
    return TRUE;
}

void CReceivedListDlg::OnDoubleClick(const NMITEMACTIVATE& activate) {
    const int row = list_.DoubleClickedRow(activate);
    if (row < 0) return;
    const RowData& data = list_.Row(row).data;
    if (data.link.size() < kMinLinkLength) {
        win::Log("received list: row %d has a link of %u characters, nothing to open\n", row,
                 static_cast<unsigned>(data.link.size()));
        return;
    }
    // SendData waits on other programs; it runs once the list has finished with its double-click.
    toOpen_.emplace_back(data.kind, data.link);
    PostMessageA(Handle(), kOpenRowMessage, 0, 0);
}

void CReceivedListDlg::OpenNextRow() {
    if (toOpen_.empty()) return;
    const auto [kind, link] = std::move(toOpen_.front());
    toOpen_.pop_front();
    // The receivers may close this window while they handle the message: nothing of it is used after.
    SendData(kind, kOpenFunction, link);
}

INT_PTR CReceivedListDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MEASUREITEM:
            if (wParam != IDC_RECEIVED_LIST) break;
            list_.OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DRAWITEM:
            if (wParam != IDC_RECEIVED_LIST) break;
            list_.OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_RECEIVED_LIST && header->code == NM_DBLCLK) {
                OnDoubleClick(*reinterpret_cast<const NMITEMACTIVATE*>(lParam));
            }
            return FALSE;
        }
        case kOpenRowMessage: OpenNextRow(); return TRUE;
        default: break;
    }
    return Dialog::OnMessage(message, wParam, lParam);
}

CReceivedListOwner::~CReceivedListOwner() {
    if (dialog_ == nullptr) return;
    CReceivedListDlg* dialog = std::exchange(dialog_, nullptr);
    dialog->Detach();
    DestroyWindow(dialog->Handle());
}

HWND CReceivedListOwner::Window() const { return dialog_ != nullptr ? dialog_->Handle() : nullptr; }

void CReceivedListOwner::OnDialogClosed() {
    dialog_ = nullptr;
    items_.MarkClosed();
}

void CReceivedListOwner::Add(ReceivedListItem item) {
    std::vector<ReceivedListItem> one;
    one.push_back(std::move(item));
    Add(std::move(one));
}

void CReceivedListOwner::Add(std::vector<ReceivedListItem> items) {
    if (items.empty()) return;
    bool dropped = false;
    for (ReceivedListItem& item : items) dropped = items_.Add(std::move(item)) || dropped;
    if (dropped) {
        win::Log("received list: the oldest row gave way (%u rows at most)\n",
                 static_cast<unsigned>(ReceivedItemList::kMaxItems));
    }
    ShowReceivedList();
}

void CReceivedListOwner::ShowReceivedList() {
    if (dialog_ != nullptr) {
        SetActiveWindow(dialog_->Handle());
    } else {
        // The template's list view needs its window class.
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        // No owner window: the list is a top-level window of its own.
        auto* dialog = new CReceivedListDlg(*this);
        dialog_ = dialog;
        if (!dialog->CreateModeless(nullptr)) {
            dialog_ = nullptr;
            win::Log("received list window could not be created\n");
            return;
        }
    }
    const int rows = dialog_->Show(items_);
    const HWND hwnd = dialog_->Handle();
    // In front once, without staying above other programs' windows.
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    win::Log("received list shown: %d rows\n", rows);
}

}  // namespace mirelo
