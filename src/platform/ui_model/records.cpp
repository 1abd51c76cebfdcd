#include "platform/ui_model/records.h"

#include <algorithm>

namespace platform::ui_model {
namespace {

constexpr int kMostListColumns = 256;

// ISO 8859-1 letters folded to lower case, as a case-blind comparison needs them.
unsigned char foldCase(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    return c;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldCase(static_cast<unsigned char>(a[i])) !=
            foldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

template <typename Map>
auto* find(Map& map, int id) {
    auto found = map.find(id);
    return found == map.end() ? nullptr : &found->second;
}

}  // namespace

// ---- Controls ----

void ControlRecord::setText(const std::string& newText) {
    if (kind != ControlKind::ComboBox) {
        text = newText;
        return;
    }
    auto item = std::find(comboItems.begin(), comboItems.end(), newText);
    if (item != comboItems.end()) {
        state = static_cast<int>(item - comboItems.begin());
        text = newText;
    }
}

int ControlRecord::findComboItem(const std::string& wanted) const {
    for (size_t i = 0; i < comboItems.size(); ++i)
        if (sameIgnoringCase(comboItems[i], wanted))
            return static_cast<int>(i);
    return -1;
}

void ControlRecord::showImage(ImageHandle picture) {
    image = std::move(picture);
    ++imageSerial;
}

void ControlRecord::addColumn(const std::string& title, int width) {
    columns.emplace_back(title, std::max(0, width));
}

bool ControlRecord::hasRow(int row) const {
    return row >= 0 && row < static_cast<int>(rows.size());
}

int ControlRecord::addRow(const std::vector<std::string>& cells, std::intptr_t data) {
    rows.push_back(ListRow{nextRowSerial++, cells, data});
    return static_cast<int>(rows.size()) - 1;
}

bool ControlRecord::removeRow(int row) {
    if (!hasRow(row))
        return false;
    rows.erase(rows.begin() + row);
    selectedRows.erase(std::remove(selectedRows.begin(), selectedRows.end(), row),
                       selectedRows.end());
    for (int& other : selectedRows)
        if (other > row)
            --other;
    return true;
}

void ControlRecord::clearRows() {
    rows.clear();
    selectedRows.clear();
}

std::string ControlRecord::cellText(int row, int column) const {
    if (!hasRow(row) || column < 0)
        return std::string();
    const auto& cells = rows[static_cast<size_t>(row)].cells;
    return static_cast<size_t>(column) < cells.size() ? cells[static_cast<size_t>(column)]
                                                      : std::string();
}

bool ControlRecord::setCellText(int row, int column, const std::string& cellText) {
    if (!hasRow(row) || column < 0 || column >= kMostListColumns)
        return false;
    auto& cells = rows[static_cast<size_t>(row)].cells;
    if (static_cast<size_t>(column) >= cells.size())
        cells.resize(static_cast<size_t>(column) + 1);
    cells[static_cast<size_t>(column)] = cellText;
    return true;
}

std::intptr_t ControlRecord::rowData(int row) const {
    return hasRow(row) ? rows[static_cast<size_t>(row)].data : 0;
}

void ControlRecord::selectRows(std::vector<int> chosen) {
    chosen.erase(
        std::remove_if(chosen.begin(), chosen.end(), [this](int row) { return !hasRow(row); }),
        chosen.end());
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    selectedRows = std::move(chosen);
}

// ---- Look-ups ----

WindowRecord* Records::window(int id) {
    return find(windows, id);
}

const WindowRecord* Records::window(int id) const {
    return find(windows, id);
}

ControlRecord* Records::control(int id) {
    return find(controls, id);
}

const ControlRecord* Records::control(int id) const {
    return find(controls, id);
}

ControlRecord* Records::control(int id, ControlKind kind) {
    ControlRecord* found = control(id);
    return found != nullptr && found->kind == kind ? found : nullptr;
}

MenuRecord* Records::menu(int id) {
    return find(menus, id);
}

const MenuRecord* Records::menu(int id) const {
    return find(menus, id);
}

// ---- Windows ----

WindowRecord& Records::addWindow(int id, Rect inner, const std::string& title, unsigned flags,
                                 int owner) {
    WindowRecord& created = windows[id];
    created = WindowRecord{};
    created.title = title;
    created.flags = flags;
    created.owner = owner;
    created.inner = inner;
    return created;
}

std::vector<int> Records::ownedWindows(int owner) const {
    std::vector<int> owned;
    for (const auto& [id, w] : windows)
        if (w.owner == owner && id != owner)
            owned.push_back(id);
    return owned;
}

std::vector<int> Records::removeWindow(int id) {
    std::vector<int> removed;
    for (auto it = controls.begin(); it != controls.end();) {
        if (it->second.window == id) {
            removed.push_back(it->first);
            it = controls.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = menus.begin(); it != menus.end();)
        it = it->second.window == id ? menus.erase(it) : std::next(it);
    windows.erase(id);
    return removed;
}

// ---- Controls in the window ----

bool Records::mayCreateControl(int window, int id, ControlKind kind, int parent) const {
    if (id <= 0 || controls.count(id) != 0 || windows.count(window) == 0)
        return false;
    if (parent == 0)
        return kind != ControlKind::TabPage;
    const ControlRecord* holder = control(parent);
    if (holder == nullptr || holder->window != window)
        return false;
    if (kind == ControlKind::TabPage)
        return holder->kind == ControlKind::TabPanel;
    return holder->kind == ControlKind::Frame || holder->kind == ControlKind::FlatFrame ||
           holder->kind == ControlKind::TabPage;
}

ControlRecord& Records::addControl(int window, int id, ControlKind kind, Rect geometry,
                                   const std::string& text, int parent) {
    ControlRecord& created = controls[id];
    created = ControlRecord{};
    created.window = window;
    created.parent = parent;
    created.kind = kind;
    created.geometry = geometry;
    if (kind == ControlKind::ComboBox)
        created.state = -1;
    else
        created.text = text;
    return created;
}

std::vector<int> Records::childControls(int parent) const {
    std::vector<int> children;
    for (const auto& [id, c] : controls)
        if (c.parent == parent)
            children.push_back(id);
    return children;
}

bool Records::setState(int id, int value) {
    ControlRecord* record = control(id);
    if (record == nullptr)
        return false;
    switch (record->kind) {
        case ControlKind::CheckBox:
            record->state = value == 0 ? 0 : value == 2 ? 2 : 1;
            break;
        case ControlKind::ComboBox:
            if (value < 0 || value >= static_cast<int>(record->comboItems.size()))
                value = -1;
            record->state = value;
            record->text = value < 0 ? "" : record->comboItems[static_cast<size_t>(value)];
            break;
        case ControlKind::TabPanel: {
            int pages = 0;
            for (const auto& [other, c] : controls)
                if (c.parent == id && c.kind == ControlKind::TabPage)
                    ++pages;
            if (value >= 0 && value < pages)
                record->state = value;
            break;
        }
        default:
            break;
    }
    return true;
}

// ---- Menus ----

bool Records::addMenu(int window, int id, const std::string& title) {
    if (id <= 0 || menus.count(id) != 0 || (window != 0 && windows.count(window) == 0))
        return false;
    menus[id] = MenuRecord{window, title, {}};
    return true;
}

void Records::addMenuItem(int id, const MenuItem& item) {
    if (MenuRecord* found = menu(id))
        found->items.push_back(item);
}

std::string Records::menuItemText(int id, int command) const {
    const MenuRecord* found = menu(id);
    if (found == nullptr || command == 0)
        return std::string();
    for (const MenuItem& item : found->items)
        if (item.command == command)
            return item.text;
    return std::string();
}

// ---- Status bar ----

void Records::addStatusBar(int id, const std::vector<int>& fieldWidths) {
    if (WindowRecord* found = window(id)) {
        found->statusWidths = fieldWidths;
        found->statusFields.assign(fieldWidths.size(), StatusField{});
    }
}

bool Records::setStatusField(int id, int field, const std::string& text, ImageHandle image) {
    WindowRecord* found = window(id);
    if (found == nullptr || field < 0 || field >= static_cast<int>(found->statusFields.size()))
        return false;
    found->statusFields[static_cast<size_t>(field)] = StatusField{text, std::move(image)};
    return true;
}

std::string Records::statusFieldText(int id, int field) const {
    const WindowRecord* found = window(id);
    if (found == nullptr || field < 0 || field >= static_cast<int>(found->statusFields.size()))
        return std::string();
    return found->statusFields[static_cast<size_t>(field)].text;
}

void Records::clear() {
    windows.clear();
    controls.clear();
    menus.clear();
    events.clear();
    trayShown = false;
}

}  // namespace platform::ui_model
