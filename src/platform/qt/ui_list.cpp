// The report-style list: columns, rows with the caller's data, whole-row multiple
// selection. The rows live in the record, so a server thread can count and search
// them at once; the widget follows.
#include <QHeaderView>
#include <QTreeWidget>

#include <set>

#include "platform/qt/ui_controls_internal.h"

namespace platform::qtui {
namespace {

ControlRecord* listRecord(int list) {
    return records().control(list, ControlKind::ListView);
}

void refreshList(int list) {
    onGuiThread([list] { applyControl(list); });
}

uint64_t serialOf(const QTreeWidgetItem* item) {
    return item->data(0, Qt::UserRole).toULongLong();
}

void storeSelection(int list, QTreeWidget* widget) {
    std::set<uint64_t> chosen;
    for (const QTreeWidgetItem* item : widget->selectedItems())
        chosen.insert(serialOf(item));
    std::lock_guard lock(records().mutex);
    ControlRecord* record = listRecord(list);
    if (record == nullptr)
        return;
    std::vector<int> rows;
    for (size_t i = 0; i < record->rows.size(); ++i)
        if (chosen.count(record->rows[i].serial) != 0)
            rows.push_back(static_cast<int>(i));
    record->selectRows(std::move(rows));
}

}  // namespace

QWidget* makeListWidget(int control, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setColumnCount(0);
    list->header()->setStretchLastSection(false);
    QObject::connect(list, &QTreeWidget::itemSelectionChanged,
                     [control, list] { storeSelection(control, list); });
    return list;
}

void applyList(QTreeWidget* list, const ControlRecord& record) {
    const int columns = static_cast<int>(record.columns.size());
    if (list->columnCount() != columns) {
        QStringList titles;
        for (const auto& column : record.columns)
            titles << toDisplay(column.first);
        list->setColumnCount(columns);
        list->setHeaderLabels(titles);
        for (int i = 0; i < columns; ++i)
            list->setColumnWidth(i, record.columns[static_cast<size_t>(i)].second);
    }
    // Rows are only appended or removed, so the widget's surviving items keep their order.
    std::set<uint64_t> alive;
    for (const ListRow& row : record.rows)
        alive.insert(row.serial);
    for (int i = list->topLevelItemCount() - 1; i >= 0; --i)
        if (alive.count(serialOf(list->topLevelItem(i))) == 0)
            delete list->takeTopLevelItem(i);
    for (size_t i = 0; i < record.rows.size(); ++i) {
        const ListRow& row = record.rows[i];
        QTreeWidgetItem* item = list->topLevelItem(static_cast<int>(i));
        if (item == nullptr || serialOf(item) != row.serial) {
            item = new QTreeWidgetItem;
            item->setData(0, Qt::UserRole, static_cast<qulonglong>(row.serial));
            list->insertTopLevelItem(static_cast<int>(i), item);
        }
        for (int c = 0; c < columns; ++c) {
            const QString text = static_cast<size_t>(c) < row.cells.size()
                                     ? toDisplay(row.cells[static_cast<size_t>(c)])
                                     : QString();
            if (item->text(c) != text)
                item->setText(c, text);
        }
    }
}

}  // namespace platform::qtui

namespace platform {

using namespace qtui;

void addListColumn(int list, const std::string& title, int width) {
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = listRecord(list);
        if (record == nullptr)
            return;
        record->addColumn(title, width);
    }
    // The widget takes new columns only by being told the full set again.
    onGuiThread([list] {
        auto found = widgets().controls.find(list);
        if (found != widgets().controls.end() && !found->second.isNull())
            static_cast<QTreeWidget*>(found->second.data())->setColumnCount(0);
        applyControl(list);
    });
}

int addListRow(int list, const std::vector<std::string>& cells, std::intptr_t data) {
    int index = -1;
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = listRecord(list);
        if (record == nullptr)
            return -1;
        index = record->addRow(cells, data);
    }
    refreshList(list);
    return index;
}

void removeListRow(int list, int row) {
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = listRecord(list);
        if (record == nullptr || !record->removeRow(row))
            return;
    }
    refreshList(list);
}

void clearList(int list) {
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = listRecord(list);
        if (record == nullptr)
            return;
        record->clearRows();
    }
    refreshList(list);
}

int listRowCount(int list) {
    std::lock_guard lock(records().mutex);
    ControlRecord* record = listRecord(list);
    return record == nullptr ? 0 : static_cast<int>(record->rows.size());
}

std::string listCellText(int list, int row, int column) {
    std::lock_guard lock(records().mutex);
    ControlRecord* record = listRecord(list);
    return record == nullptr ? std::string() : record->cellText(row, column);
}

void setListCellText(int list, int row, int column, const std::string& text) {
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = listRecord(list);
        if (record == nullptr || !record->setCellText(row, column, text))
            return;
    }
    refreshList(list);
}

std::intptr_t listRowData(int list, int row) {
    std::lock_guard lock(records().mutex);
    ControlRecord* record = listRecord(list);
    return record == nullptr ? 0 : record->rowData(row);
}

std::vector<int> selectedListRows(int list) {
    std::lock_guard lock(records().mutex);
    ControlRecord* record = listRecord(list);
    return record == nullptr ? std::vector<int>() : record->selectedRows;
}

}  // namespace platform
