#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "store/received_list_rows.h"

namespace mirelo {

// An owner-drawn report list whose header sorts the rows: a click on a column sorts by it, a second
// click the other way, and the sorted column carries a drawn arrow. The fixed leading columns cannot
// be resized. The control keeps a copy of every row (texts and row data) beside the list view, so
// that drawing, sorting and double-clicks never read the list view back.
class CSortListCtrl {
public:
    CSortListCtrl() = default;
    ~CSortListCtrl();
    CSortListCtrl(const CSortListCtrl&) = delete;
    CSortListCtrl& operator=(const CSortListCtrl&) = delete;

    // Takes charge of a list view of a dialog: sets its font again (so that its rows are measured
    // anew), the fixed-column count, and the row image list cut from a bitmap resource.
    bool Attach(HWND list, int fixedColumns, int bitmapId);
    HWND Handle() const { return list_; }

    void InsertColumn(int column, const std::string& text, int width);
    // The width a cell needs to show the text whole in the list's font, margins included.
    int CellWidth(const std::string& text) const;
    void InsertRow(int index, ListRow row);
    void DeleteRow(int index);
    void DeleteAllRows();
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const ListRow& Row(int index) const { return rows_[static_cast<std::size_t>(index)]; }
    // False once the user sorted the rows since they were last all written.
    bool InArrivalOrder() const { return inArrivalOrder_; }
    void SetRedraw(bool on);

    // Messages the dialog hands on (owner-draw and notifications arrive at the list's parent).
    void OnMeasureItem(MEASUREITEMSTRUCT& measure) const;
    void OnDrawItem(const DRAWITEMSTRUCT& draw) const;
    // The row a double-click hit, -1 when it hit none or nothing is selected.
    int DoubleClickedRow(const NMITEMACTIVATE& activate) const;

private:
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    LRESULT OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnHeaderNotify(const NMHDR& header, LRESULT& result);
    void OnHeaderClick(int column);
    void DrawHeaderItem(const DRAWITEMSTRUCT& draw) const;
    void InvalidateHighlights() const;
    void WriteRow(int index, bool insert);
    int Margin(HDC dc) const;

    HWND list_ = nullptr;
    HWND header_ = nullptr;
    HIMAGELIST images_ = nullptr;
    int fixedColumns_ = 0;
    int sortColumn_ = -1;
    bool ascending_ = true;
    bool inArrivalOrder_ = true;
    std::vector<ListRow> rows_;
};

}  // namespace mirelo
