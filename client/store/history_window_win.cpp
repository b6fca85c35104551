#include "store/history_window_win.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/code_page_win.h"
#include "core/settings_win.h"
#include "core/worker_pool.h"
#include "popups/popup_text.h"
#include "resources/resource.h"
#include "store/browser_win.h"
#include "store/euc_kr.h"
#include "store/history_index.h"
#include "store/history_store_win.h"
#include "store/macros_win.h"
#include "store/notification_store_win.h"
#include "store/received_list_rows.h"
#include "win/dialog.h"
#include "win/log.h"
#include "win/resources.h"

namespace mirelo {

namespace {

constexpr UINT kLoadedMessage = WM_APP + 20;
constexpr UINT kChangedMessage = WM_APP + 21;
constexpr UINT kOpenRowMessage = WM_APP + 22;
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryMs = 500;
constexpr int kKindTextCount = 32;  // kinds 0 .. 31 have texts; the others show none
// Pixels: the hidden image column, kind, date, title, sender. The kind and date columns grow to
// their texts in the list's font.
constexpr std::array<int, kListColumnCount> kColumnWidths = {0, 50, 100, 250, 130};
constexpr int kCellPadding = 16;
constexpr wchar_t kWidestDate[] = L"0000-00-00 00:00:00";

std::atomic<HWND> g_window{nullptr};

WorkerPool& HistoryReader() {
    // Never destroyed: a read still running at process end must not lose its pool under it.
    static WorkerPool* const pool = new WorkerPool(1, 2);
    return *pool;
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(length, 0)), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr,
                            nullptr);
    }
    return utf8;
}

// The browser window size View gives a kind's page; 0 (the work area) where its pop-up has none.
std::pair<int, int> ViewSize(int kind) {
    const ClientSettings& s = Settings();
    if (kind == 1) return {s.BBSViewWidth, s.BBSViewHeight};
    if (kind == 2) return {s.MailViewWidth, s.MailViewHeight};
    if ((kind >= 4 && kind <= 7) || kind == 11) return {s.SancViewWidth, s.SancViewHeight};
    return {0, 0};
}

// A file's first and last bytes, for the rows to show before the whole file is read. False when
// the file cannot be read or is small enough to be read whole at once.
bool ReadEnds(const std::string& path, std::string& head, std::string& tail) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && static_cast<unsigned long long>(size.QuadPart) > 2 * kHistoryTailBytes;
    const auto readAt = [file](long long offset, std::size_t count, std::string& out) {
        out.assign(count, '\0');
        LARGE_INTEGER at{};
        at.QuadPart = offset;
        DWORD read = 0;
        if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
            !ReadFile(file, out.data(), static_cast<DWORD>(count), &read, nullptr)) {
            return false;
        }
        out.resize(read);
        return true;
    };
    ok = ok && readAt(0, kHistoryHeadBytes, head) &&
         readAt(size.QuadPart - static_cast<long long>(kHistoryTailBytes), kHistoryTailBytes, tail);
    CloseHandle(file);
    return ok;
}

// What a read hands to the window: the first rows, then the whole, each taken once.
struct Mailbox {
    std::mutex mutex;
    std::unique_ptr<HistoryIndex> preview;
    std::unique_ptr<HistoryLoad> load;
    DWORD startTick = 0;
};

}  // namespace

class CHistoryDlg final : public win::Dialog {
public:
    CHistoryDlg() : Dialog(IDD_HISTORY) {}

    // Reads the files again, after the read that runs (if any).
    void Reload();

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(int id, int notifyCode) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalDestroy() override {
        HWND self = Handle();
        g_window.compare_exchange_strong(self, nullptr);
    }

private:
    void OnLoaded();
    void OnFilterChanged();
    void OnColumnClick(int column);
    void OnDoubleClick(const NMITEMACTIVATE& activate);
    void OnGetDispInfo(NMLVDISPINFOW& info) const;
    void OpenNextRow();
    void Layout();
    void ShowRows();
    // Shows new rows in the order and under the filter the user chose.
    void TakeRows(HistoryIndex index);
    void MarkSortColumn() const;

    HWND list_ = nullptr;
    HistoryIndex index_;
    std::shared_ptr<Mailbox> mailbox_ = std::make_shared<Mailbox>();
    std::array<std::string, kKindTextCount> kindTexts_;
    bool reading_ = false;
    bool readAgain_ = false;
    bool shownAll_ = false;  // once the whole files were shown, a new read shows no partial rows
    std::vector<std::pair<int, std::string>> toOpen_;
};

BOOL CHistoryDlg::OnInitDialog() {
    g_window = Handle();
    list_ = GetDlgItem(Handle(), IDC_HISTORY_LIST);
    SendMessageW(list_, LVM_SETUNICODEFORMAT, TRUE, 0);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const TextLoader& texts = win::ResourceTexts();
    // The kind texts of the received list, taken once here: the reader thread only copies them.
    std::array<int, kListColumnCount> widths = kColumnWidths;
    const auto widthOf = [this](const std::wstring& text) {
        return static_cast<int>(SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str()))) +
               kCellPadding;
    };
    for (int kind = 0; kind < kKindTextCount; ++kind) {
        std::string& text = kindTexts_[static_cast<std::size_t>(kind)];
        text = AnsiToUtf8(ListKindText(kind, 0, '0', '0', texts, ExpandMacros), SystemCodec());
        widths[kHistoryKind] = std::max(widths[kHistoryKind], widthOf(Wide(text)));
    }
    widths[kHistoryDate] = std::max(widths[kHistoryDate], widthOf(kWidestDate));
    for (int column = 0; column < kListColumnCount; ++column) {
        std::wstring header = Wide(AnsiToUtf8(ListHeaderText(column, texts), SystemCodec()));
        LVCOLUMNW item{};
        item.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        item.fmt = LVCFMT_LEFT;
        item.cx = column == 0 ? 0 : std::max(widths[static_cast<std::size_t>(column)], widthOf(header));
        item.pszText = header.data();
        item.iSubItem = column;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
    Layout();
    win::CenterOnWorkArea(Handle());
    win::Log("history window opened\n");
    Reload();
    return TRUE;
}

void CHistoryDlg::Reload() {
    if (reading_) {
        readAgain_ = true;
        return;
    }
    const std::vector<std::string> paths = {Settings().StoreFile, HistoryPath()};
    const HWND window = Handle();
    mailbox_->startTick = GetTickCount();
    auto job = [mailbox = mailbox_, paths, window, kinds = kindTexts_, preview = !shownAll_] {
        const auto kindText = [&kinds](int kind) {
            return kind >= 0 && kind < kKindTextCount ? kinds[static_cast<std::size_t>(kind)] : std::string();
        };
        // A window that closed meanwhile gets nothing; the mailbox goes with the last holder.
        std::vector<std::string> tails;
        for (const std::string& path : paths) {
            std::string head;
            std::string tail;
            if (preview && ReadEnds(path, head, tail)) tails.push_back(StoreTailDocument(head, tail));
        }
        if (!tails.empty()) {
            auto preview = std::make_unique<HistoryIndex>(PreviewHistory(tails, SystemCodec(), kindText));
            {
                const std::lock_guard lock(mailbox->mutex);
                mailbox->preview = std::move(preview);
            }
            PostMessageA(window, kLoadedMessage, 0, 0);
        }
        auto load = std::make_unique<HistoryLoad>(LoadHistory(WindowsStoreFiles(), SystemCodec(), paths, kindText));
        {
            const std::lock_guard lock(mailbox->mutex);
            mailbox->load = std::move(load);
        }
        PostMessageA(window, kLoadedMessage, 0, 0);
    };
    if (!HistoryReader().Post(std::move(job))) {
        SetTimer(Handle(), kRetryTimer, kRetryMs, nullptr);
        return;
    }
    reading_ = true;
}

void CHistoryDlg::OnLoaded() {
    std::unique_ptr<HistoryIndex> preview;
    std::unique_ptr<HistoryLoad> load;
    {
        const std::lock_guard lock(mailbox_->mutex);
        preview = std::move(mailbox_->preview);
        load = std::move(mailbox_->load);
    }
    if (load) {
        reading_ = false;
        for (const std::string& problem : load->problems) win::LogText("history window: " + problem + "\n");
        TakeRows(std::move(load->index));
        shownAll_ = true;
        win::Log("history window: %u of %u rows after %lu ms\n", static_cast<unsigned>(index_.Size()),
                 static_cast<unsigned>(index_.Total()), GetTickCount() - mailbox_->startTick);
        if (readAgain_) {
            readAgain_ = false;
            Reload();
        }
    } else if (preview && !shownAll_) {
        TakeRows(std::move(*preview));
        win::Log("history window: the newest %u rows after %lu ms\n", static_cast<unsigned>(index_.Total()),
                 GetTickCount() - mailbox_->startTick);
    }
}

void CHistoryDlg::TakeRows(HistoryIndex index) {
    const int column = index_.SortColumn();
    const bool ascending = index_.Ascending();
    const std::string filter = index_.FilterText();
    index_ = std::move(index);
    if (column != kHistoryNewestFirst) index_.Sort(column, ascending);
    if (!filter.empty()) index_.Filter(filter);
    ShowRows();
}

void CHistoryDlg::ShowRows() {
    SendMessageW(list_, LVM_SETITEMCOUNT, index_.Size(), 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void CHistoryDlg::OnFilterChanged() {
    const HWND edit = GetDlgItem(Handle(), IDC_HISTORY_SEARCH);
    std::wstring typed(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    typed.resize(static_cast<std::size_t>(GetWindowTextW(edit, typed.data(), static_cast<int>(typed.size()))));
    const std::string text = Utf8(typed);
    if (text == index_.FilterText()) return;
    index_.Filter(text);
    ShowRows();
    win::LogText("history filter \"" + Utf8ToAnsi(text, SystemCodec()) + "\": " + std::to_string(index_.Size()) +
                 " rows\n");
}

void CHistoryDlg::OnColumnClick(int column) {
    if (column < kHistoryKind || column > kHistorySender) return;
    const bool ascending = index_.SortColumn() == column ? !index_.Ascending() : true;
    index_.Sort(column, ascending);
    MarkSortColumn();
    ShowRows();
    win::Log("history sorted by column %d, %s\n", column, ascending ? "ascending" : "descending");
}

void CHistoryDlg::MarkSortColumn() const {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < kListColumnCount; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == index_.SortColumn()) item.fmt |= index_.Ascending() ? HDF_SORTUP : HDF_SORTDOWN;
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

void CHistoryDlg::OnGetDispInfo(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
    item.pszText[0] = L'\0';
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= index_.Size()) return;
    const std::wstring text = Wide(index_.Cell(static_cast<std::size_t>(item.iItem), item.iSubItem));
    lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

void CHistoryDlg::OnDoubleClick(const NMITEMACTIVATE& activate) {
    if (activate.iItem < 0 || static_cast<std::size_t>(activate.iItem) >= index_.Size()) return;
    const HistoryRow& row = index_.Row(static_cast<std::size_t>(activate.iItem));
    // The browser may pump messages while it opens: it runs once the list has finished with its click.
    toOpen_.emplace_back(row.kind, Utf8ToAnsi(row.url, SystemCodec()));
    PostMessageA(Handle(), kOpenRowMessage, 0, 0);
}

void CHistoryDlg::OpenNextRow() {
    if (toOpen_.empty()) return;
    const auto [kind, url] = toOpen_.front();
    toOpen_.erase(toOpen_.begin());
    const auto [width, height] = ViewSize(kind);
    win::Log("history window: opening row of kind %d\n", kind);
    // Nothing of the window is used after this: it may close while the browser starts.
    OpenInBrowser(ViewUrl(url, Settings().UserID), width, height);
}

void CHistoryDlg::Layout() {
    RECT client{};
    GetClientRect(Handle(), &client);
    RECT units{4, 4, 36, 14};  // dialog units: margin, top, label width, edit height
    MapDialogRect(Handle(), &units);
    const int m = static_cast<int>(units.left);
    const int top = static_cast<int>(units.top);
    const int labelWidth = static_cast<int>(units.right);
    const int editHeight = static_cast<int>(units.bottom);
    const int width = static_cast<int>(client.right);
    const int height = static_cast<int>(client.bottom);
    MoveWindow(GetDlgItem(Handle(), IDC_HISTORY_SEARCH_LABEL), m, top + 2, labelWidth, editHeight - 2, TRUE);
    MoveWindow(GetDlgItem(Handle(), IDC_HISTORY_SEARCH), m + labelWidth, top, std::max(0, width - 2 * m - labelWidth),
               editHeight, TRUE);
    const int listTop = top + editHeight + m;
    MoveWindow(list_, m, listTop, std::max(0, width - 2 * m), std::max(0, height - listTop - m), TRUE);
}

BOOL CHistoryDlg::OnCommand(int id, int notifyCode) {
    if (id == IDC_HISTORY_SEARCH && notifyCode == EN_CHANGE) {
        OnFilterChanged();
        return TRUE;
    }
    if (id != IDOK && id != IDCANCEL) return FALSE;
    // Enter in the search box does not close the window.
    if (id == IDOK) return TRUE;
    win::Log("history window closed\n");
    DestroyWindow(Handle());  // deletes this object
    return TRUE;
}

INT_PTR CHistoryDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->hwndFrom != list_) break;
            switch (header->code) {
                case LVN_GETDISPINFOW: OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam)); return TRUE;
                case LVN_COLUMNCLICK: OnColumnClick(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem); return TRUE;
                case NM_DBLCLK: OnDoubleClick(*reinterpret_cast<NMITEMACTIVATE*>(lParam)); return TRUE;
                default: break;
            }
            break;
        }
        case WM_SIZE: Layout(); return TRUE;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {320, 200};
            return TRUE;
        }
        case WM_TIMER:
            if (wParam != kRetryTimer) break;
            KillTimer(Handle(), kRetryTimer);
            Reload();
            return TRUE;
        case kLoadedMessage: OnLoaded(); return TRUE;
        case kChangedMessage: Reload(); return TRUE;
        case kOpenRowMessage: OpenNextRow(); return TRUE;
        default: break;
    }
    return Dialog::OnMessage(message, wParam, lParam);
}

void ShowHistoryWindow() {
    if (const HWND open = g_window.load()) {
        ShowWindow(open, SW_RESTORE);
        SetForegroundWindow(open);
        return;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    auto* dialog = new CHistoryDlg();
    if (!dialog->CreateModeless(nullptr)) {
        win::Log("history window could not be created\n");
        return;
    }
    ShowWindow(dialog->Handle(), SW_SHOW);
    SetForegroundWindow(dialog->Handle());
}

void PostHistoryChanged() {
    if (const HWND open = g_window.load()) PostMessageA(open, kChangedMessage, 0, 0);
}

void CloseHistoryWindow() {
    if (const HWND open = g_window.load()) DestroyWindow(open);
}

}  // namespace mirelo
