#include "store/sort_list_ctrl_win.h"

#include <cstdlib>

#include "win/log.h"

namespace mirelo {

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT kMovedStates = 0xFF0F;  // every state but the state-image index bits
constexpr COLORREF kImageMask = RGB(255, 255, 255);
constexpr UINT kCellText = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

// Selects a GDI object into a DC for one scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~Selected() {
        if (old_ != nullptr) SelectObject(dc_, old_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

class Pen {
public:
    explicit Pen(int sysColour) : pen_(CreatePen(PS_SOLID, 1, GetSysColor(sysColour))) {}
    ~Pen() {
        if (pen_ != nullptr) DeleteObject(pen_);
    }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;
    HPEN Get() const { return pen_; }

private:
    HPEN pen_;
};

void Line(HDC dc, HPEN pen, POINT from, POINT to) {
    Selected selected(dc, pen);
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
}

// Header items and list columns name their alignment with the same three values.
UINT TextAlignment(int format, int mask, int centre, int right) {
    const int justify = format & mask;
    if (justify == right) return DT_RIGHT;
    if (justify == centre) return DT_CENTER;
    return DT_LEFT;
}

}  // namespace

CSortListCtrl::~CSortListCtrl() {
    if (list_ != nullptr && IsWindow(list_)) RemoveWindowSubclass(list_, &CSortListCtrl::ListProc, kSubclassId);
    // The list shares its image list (LVS_SHAREIMAGELISTS): it is ours to destroy.
    if (images_ != nullptr) ImageList_Destroy(images_);
}

bool CSortListCtrl::Attach(HWND list, int fixedColumns, int bitmapId) {
    list_ = list;
    header_ = ListView_GetHeader(list);
    fixedColumns_ = fixedColumns;
    if (list_ == nullptr ||
        !SetWindowSubclass(list_, &CSortListCtrl::ListProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    // Setting the same font again is what makes an owner-drawn list measure its rows (below).
    SendMessageA(list_, WM_SETFONT, SendMessageA(list_, WM_GETFONT, 0, 0), TRUE);
    // Images one pixel wide: never seen behind the hidden first column, they give rows a minimum height.
    images_ =
        ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId), 1, 1, kImageMask, IMAGE_BITMAP, 0);
    if (images_ != nullptr) ListView_SetImageList(list_, images_, LVSIL_SMALL);
    return true;
}

void CSortListCtrl::InsertColumn(int column, const std::string& text, int width) {
    LVCOLUMNA lvc{};
    lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    lvc.fmt = LVCFMT_LEFT;
    lvc.cx = width;
    lvc.pszText = const_cast<char*>(text.c_str());
    lvc.iSubItem = column;
    SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&lvc));
}

void CSortListCtrl::WriteRow(int index, bool insert) {
    ListRow& row = rows_[static_cast<std::size_t>(index)];
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | (insert ? 0 : LVIF_STATE);
    item.iItem = index;
    item.pszText = row.texts[0].data();
    item.iImage = row.image;
    item.state = row.state;
    item.stateMask = kMovedStates;
    if (insert) {
        const LRESULT at = SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        if (at != index) {
            // The control refused the row: keep the copy in step with what it shows.
            if (at >= 0) ListView_DeleteItem(list_, static_cast<int>(at));
            rows_.erase(rows_.begin() + index);
            return;
        }
    } else {
        SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    for (int column = 1; column < kListColumnCount; ++column) {
        LVITEMA sub{};
        sub.iSubItem = column;
        sub.pszText = row.texts[static_cast<std::size_t>(column)].data();
        SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    }
}

void CSortListCtrl::InsertRow(int index, ListRow row) {
    if (index < 0 || index > RowCount()) index = RowCount();
    rows_.insert(rows_.begin() + index, std::move(row));
    WriteRow(index, true);
}

void CSortListCtrl::DeleteRow(int index) {
    if (index < 0 || index >= RowCount()) return;
    ListView_DeleteItem(list_, index);
    rows_.erase(rows_.begin() + index);
}

void CSortListCtrl::DeleteAllRows() {
    ListView_DeleteAllItems(list_);
    rows_.clear();
    inArrivalOrder_ = true;
}

void CSortListCtrl::SetRedraw(bool on) {
    SendMessageA(list_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on) InvalidateRect(list_, nullptr, TRUE);
}

int CSortListCtrl::Margin(HDC dc) const {
    SIZE space{};
    GetTextExtentPoint32A(dc, " ", 1, &space);
    return CellMargin(space.cx);
}

void CSortListCtrl::OnMeasureItem(MEASUREITEMSTRUCT& measure) const {
    LOGFONTA font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageA(list_, WM_GETFONT, 0, 0));
    if (handle == nullptr || GetObjectA(handle, sizeof(font), &font) == 0) return;
    TEXTMETRICA metrics{};
    const HDC dc = GetDC(list_);
    {
        Selected selected(dc, handle);
        GetTextMetricsA(dc, &metrics);
    }
    ReleaseDC(list_, dc);
    measure.itemHeight = static_cast<UINT>(ListRowHeight(font.lfHeight, metrics.tmHeight));
}

int CSortListCtrl::CellWidth(const std::string& text) const {
    const HDC dc = GetDC(list_);
    SIZE size{};
    int margin = 0;
    {
        Selected selected(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list_, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
        margin = Margin(dc);
    }
    ReleaseDC(list_, dc);
    return size.cx + 2 * margin;
}

void CSortListCtrl::OnDrawItem(const DRAWITEMSTRUCT& draw) const {
    const int index = static_cast<int>(draw.itemID);
    if (index < 0 || index >= RowCount()) return;
    const ListRow& row = Row(index);
    const HDC dc = draw.hDC;
    const RECT& item = draw.rcItem;

    const UINT state =
        ListView_GetItemState(list_, index, LVIS_DROPHILITED | LVIS_SELECTED | LVIS_FOCUSED | LVIS_OVERLAYMASK);
    const bool listFocused = GetFocus() == list_;
    const bool showAlways = (GetWindowLongA(list_, GWL_STYLE) & LVS_SHOWSELALWAYS) != 0;
    const bool highlighted =
        (state & LVIS_DROPHILITED) != 0 || ((state & LVIS_SELECTED) != 0 && (listFocused || showAlways));

    RECT bounds{};
    RECT label{};
    RECT client{};
    ListView_GetItemRect(list_, index, &bounds, LVIR_BOUNDS);
    ListView_GetItemRect(list_, index, &label, LVIR_LABEL);
    GetClientRect(list_, &client);

    Selected font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list_, WM_GETFONT, 0, 0)));
    const int margin = Margin(dc);
    RECT fill = highlighted ? RECT{label.left - 3, item.top, bounds.right, item.bottom}
                            : RECT{item.left, item.top, client.right, item.bottom};
    FillRect(dc, &fill, GetSysColorBrush(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const COLORREF colour = row.data.colour == kDefaultRowColour ? GetSysColor(COLOR_WINDOWTEXT) : row.data.colour;
    SetTextColor(dc, highlighted ? GetSysColor(COLOR_HIGHLIGHTTEXT) : colour);
    SetBkMode(dc, TRANSPARENT);

    int left = item.left;
    for (int column = 0; column < kListColumnCount; ++column) {
        const int width = ListView_GetColumnWidth(list_, column);
        LVCOLUMNA format{};
        format.mask = LVCF_FMT;
        ListView_GetColumn(list_, column, &format);
        if (column == 0 && width > 0) {
            // The image, its overlay and the label, clipped to the first column.
            const int saved = SaveDC(dc);
            IntersectClipRect(dc, left, item.top, left + width, item.bottom);
            if (images_ != nullptr) {
                ImageList_Draw(images_, row.image, dc, left, item.top, ILD_TRANSPARENT | (state & LVIS_OVERLAYMASK));
            }
            RECT text{label.left + margin, item.top, left + width - margin, item.bottom};
            DrawTextA(dc, row.texts[0].c_str(), -1, &text, kCellText);
            RestoreDC(dc, saved);
        } else if (column > 0) {
            RECT text{left + margin, item.top, left + width - margin, item.bottom};
            const UINT align = TextAlignment(format.fmt, LVCFMT_JUSTIFYMASK, LVCFMT_CENTER, LVCFMT_RIGHT);
            DrawTextA(dc, row.texts[static_cast<std::size_t>(column)].c_str(), -1, &text, kCellText | align);
        }
        left += width;
    }

    const Pen line(COLOR_SCROLLBAR);
    Line(dc, line.Get(), {item.left, item.bottom - 1}, {item.right, item.bottom - 1});
    if ((state & LVIS_FOCUSED) != 0 && listFocused) {
        RECT focus{label.left - 3, item.top, bounds.right, item.bottom};
        DrawFocusRect(dc, &focus);
    }
}

void CSortListCtrl::DrawHeaderItem(const DRAWITEMSTRUCT& draw) const {
    const HDC dc = draw.hDC;
    const RECT& item = draw.rcItem;
    const int column = static_cast<int>(draw.itemID);
    FillRect(dc, &item, GetSysColorBrush(COLOR_BTNFACE));
    // The fill covers the divider the header drew; the item keeps it like its neighbours.
    RECT divider = item;
    DrawEdge(dc, &divider, EDGE_ETCHED, BF_RIGHT);
    Selected font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(header_, WM_GETFONT, 0, 0)));
    const int m = Margin(dc);

    RECT text = item;
    if ((draw.itemState & ODS_SELECTED) != 0) OffsetRect(&text, 1, 2);
    text.left += m;
    text.right -= m;
    if (column == sortColumn_) text.right -= 3 * m;

    char label[260] = {};
    HDITEMA hd{};
    hd.mask = HDI_TEXT | HDI_FORMAT;
    hd.pszText = label;
    hd.cchTextMax = sizeof(label);
    SendMessageA(header_, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&hd));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const UINT align = TextAlignment(hd.fmt, HDF_JUSTIFYMASK, HDF_CENTER, HDF_RIGHT);
    DrawTextA(dc, label, -1, &text, kCellText | align);

    if (column != sortColumn_) return;
    // The arrow stands at the right end of the item: up for ascending, down for descending.
    const Pen light(COLOR_BTNHIGHLIGHT);
    const Pen shadow(COLOR_BTNSHADOW);
    const int top = item.top + m - 1;
    const int bottom = item.bottom - m;
    const POINT left{item.right - 5 * m / 2, ascending_ ? bottom : top};
    const POINT right{item.right - 3 * m / 2, ascending_ ? bottom : top};
    const POINT tip{item.right - 2 * m, ascending_ ? top : bottom};
    Line(dc, light.Get(), tip, right);
    Line(dc, ascending_ ? light.Get() : shadow.Get(), right, left);
    Line(dc, shadow.Get(), left, tip);
}

int CSortListCtrl::DoubleClickedRow(const NMITEMACTIVATE& activate) const {
    if (ListView_GetSelectedCount(list_) == 0) return -1;
    int row = activate.iItem;
    if (row < 0) {
        LVHITTESTINFO hit{};
        hit.pt = activate.ptAction;
        row = ListView_SubItemHitTest(list_, &hit);
    }
    return row >= 0 && row < RowCount() ? row : -1;
}

void CSortListCtrl::OnHeaderClick(int column) {
    ascending_ = column == sortColumn_ ? !ascending_ : true;
    sortColumn_ = column;
    // The sorted column's header item draws itself from now on, arrow included.
    HDITEMA hd{};
    hd.mask = HDI_FORMAT;
    if (SendMessageA(header_, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&hd))) {
        hd.fmt |= HDF_OWNERDRAW;
        SendMessageA(header_, HDM_SETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&hd));
    }
    InvalidateRect(header_, nullptr, TRUE);

    for (int i = 0; i < RowCount(); ++i)
        rows_[static_cast<std::size_t>(i)].state = ListView_GetItemState(list_, i, kMovedStates);
    SortListRows(rows_, column, ascending_, fixedColumns_);
    SetRedraw(false);
    for (int i = 0; i < RowCount(); ++i) WriteRow(i, false);
    SetRedraw(true);
    inArrivalOrder_ = false;
    win::Log("list sorted: column %d %s\n", column, ascending_ ? "ascending" : "descending");
}

bool CSortListCtrl::OnHeaderNotify(const NMHDR& header, LRESULT& result) {
    const auto& notify = reinterpret_cast<const NMHEADERA&>(header);
    switch (header.code) {
        case HDN_BEGINTRACKA:
        case HDN_BEGINTRACKW:
            if (notify.iItem > fixedColumns_) return false;
            result = TRUE;  // the fixed columns keep their width
            return true;
        case HDN_ITEMCLICKA:
        case HDN_ITEMCLICKW:
            if (notify.iButton == 0) OnHeaderClick(notify.iItem);
            return false;
        default: return false;
    }
}

void CSortListCtrl::InvalidateHighlights() const {
    const auto invalidate = [this](int row) {
        RECT bounds{};
        if (ListView_GetItemRect(list_, row, &bounds, LVIR_BOUNDS)) InvalidateRect(list_, &bounds, FALSE);
    };
    const int focused = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    if (focused >= 0) invalidate(focused);
    if ((GetWindowLongA(list_, GWL_STYLE) & LVS_SHOWSELALWAYS) == 0) {
        for (int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED); row >= 0;
             row = ListView_GetNextItem(list_, row, LVNI_SELECTED)) {
            invalidate(row);
        }
    }
    UpdateWindow(list_);
}

LRESULT CSortListCtrl::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFONT: {
            const LRESULT result = DefSubclassProc(list_, message, wParam, lParam);
            // An owner-drawn list asks for its row height when its position changes.
            RECT window{};
            GetWindowRect(list_, &window);
            WINDOWPOS position{};
            position.hwnd = list_;
            position.cx = window.right - window.left;
            position.cy = window.bottom - window.top;
            position.flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
            SendMessageA(list_, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
            return result;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            LRESULT result = 0;
            if (header != nullptr && header->hwndFrom == header_ && OnHeaderNotify(*header, result)) return result;
            break;
        }
        case WM_DRAWITEM: {
            const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw != nullptr && draw->CtlType == ODT_HEADER && draw->hwndItem == header_) {
                DrawHeaderItem(*draw);
                return TRUE;
            }
            break;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            const LRESULT result = DefSubclassProc(list_, message, wParam, lParam);
            const auto other = reinterpret_cast<HWND>(wParam);
            const bool report = (GetWindowLongA(list_, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT;
            if (!IsChild(list_, other) && report) InvalidateHighlights();
            return result;
        }
        case WM_NCDESTROY: {
            RemoveWindowSubclass(list_, &CSortListCtrl::ListProc, kSubclassId);
            const LRESULT result = DefSubclassProc(list_, message, wParam, lParam);
            list_ = nullptr;
            return result;
        }
        default: break;
    }
    return DefSubclassProc(list_, message, wParam, lParam);
}

LRESULT CALLBACK CSortListCtrl::ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
    try {
        return reinterpret_cast<CSortListCtrl*>(self)->OnListMessage(message, wParam, lParam);
    } catch (...) {
        win::Log("list message %u failed\n", message);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace mirelo
