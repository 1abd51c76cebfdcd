// The report-style list view: columns, rows and the selection, kept in the records.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>

#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {

HWND makeListView(HWND parent) {
    HWND list =
        ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0,
                          0, 0, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (list != nullptr)
        ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                       LVS_EX_FULLROWSELECT);
    return list;
}

// Brings the list in line with its record: columns are only ever added; rows are written
// afresh, which the small lists of the program allow.
void applyList(int list, const ControlRecord& record) {
    auto found = handles().controls.find(list);
    if (found == handles().controls.end())
        return;
    HWND handle = found->second;
    HWND header = reinterpret_cast<HWND>(::SendMessageW(handle, LVM_GETHEADER, 0, 0));
    auto columns = static_cast<size_t>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (size_t i = columns; i < record.columns.size(); ++i) {
        std::wstring title = toDisplay(record.columns[i].first);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title.data();
        column.cx = record.columns[i].second;
        ::SendMessageW(handle, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    ::SendMessageW(handle, WM_SETREDRAW, FALSE, 0);
    const auto count = static_cast<size_t>(::SendMessageW(handle, LVM_GETITEMCOUNT, 0, 0));
    for (size_t i = count; i > record.rows.size(); --i)
        ::SendMessageW(handle, LVM_DELETEITEM, i - 1, 0);
    for (size_t row = 0; row < record.rows.size(); ++row) {
        const auto& cells = record.rows[row].cells;
        for (size_t column = 0; column < std::max<size_t>(record.columns.size(), 1); ++column) {
            std::wstring text = toDisplay(column < cells.size() ? cells[column] : "");
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(row);
            item.iSubItem = static_cast<int>(column);
            item.pszText = text.data();
            if (column == 0 && row >= count)
                ::SendMessageW(handle, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            else
                ::SendMessageW(handle, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    ::SendMessageW(handle, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(handle, nullptr, TRUE);
}

}  // namespace platform::win32ui

namespace platform {

using namespace win32ui;

namespace {

template <typename Change>
void changeList(int list, Change change) {
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = records().control(list, ControlKind::ListView);
        if (record == nullptr)
            return;
        change(*record);
    }
    onGuiThread([list] { applyControl(list); });
}

}  // namespace

void addListColumn(int list, const std::string& title, int width) {
    changeList(list, [&](ControlRecord& r) { r.addColumn(title, width); });
}

int addListRow(int list, const std::vector<std::string>& cells, std::intptr_t data) {
    int row = -1;
    changeList(list, [&](ControlRecord& r) { row = r.addRow(cells, data); });
    return row;
}

void removeListRow(int list, int row) {
    changeList(list, [&](ControlRecord& r) { r.removeRow(row); });
}

void clearList(int list) {
    changeList(list, [](ControlRecord& r) { r.clearRows(); });
}

int listRowCount(int list) {
    std::lock_guard lock(records().mutex);
    const ControlRecord* record = records().control(list);
    return record != nullptr ? static_cast<int>(record->rows.size()) : 0;
}

std::string listCellText(int list, int row, int column) {
    std::lock_guard lock(records().mutex);
    const ControlRecord* record = records().control(list);
    return record != nullptr ? record->cellText(row, column) : std::string();
}

void setListCellText(int list, int row, int column, const std::string& text) {
    changeList(list, [&](ControlRecord& r) { r.setCellText(row, column, text); });
}

std::intptr_t listRowData(int list, int row) {
    std::lock_guard lock(records().mutex);
    const ControlRecord* record = records().control(list);
    return record != nullptr ? record->rowData(row) : 0;
}

std::vector<int> selectedListRows(int list) {
    std::lock_guard lock(records().mutex);
    const ControlRecord* record = records().control(list);
    return record != nullptr ? record->selectedRows : std::vector<int>{};
}

}  // namespace platform
