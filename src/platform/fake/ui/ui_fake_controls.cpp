// Headless controls, lists and images.
#include <algorithm>
#include <array>

#include "platform/fake/ui/ui_fake_state.h"

namespace platform::fake_ui {
namespace {

FakeControl* controlLocked(int id) {
    auto found = state().controls.find(id);
    return found == state().controls.end() ? nullptr : &found->second;
}

FakeControl* listLocked(int id) {
    FakeControl* found = controlLocked(id);
    return found != nullptr && found->kind == ControlKind::ListView ? found : nullptr;
}

bool rowInRange(const FakeControl& list, int row) {
    return row >= 0 && row < static_cast<int>(list.rows.size());
}

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

// The address control's dotted text: four numbers 0..255, a blank or broken field 0.
std::string dottedAddress(const std::string& text) {
    std::array<std::string, 4> parts;
    size_t field = 0;
    for (char c : text) {
        if (c == '.') {
            if (++field == parts.size())
                break;
        } else {
            parts[field].push_back(c);
        }
    }
    std::string dotted;
    for (size_t i = 0; i < parts.size(); ++i) {
        int value = 0;
        for (char c : parts[i]) {
            if (c < '0' || c > '9') {
                value = 0;
                break;
            }
            value = std::min(255, value * 10 + (c - '0'));
        }
        if (i > 0)
            dotted.push_back('.');
        dotted += std::to_string(value);
    }
    return dotted;
}

bool parentAccepts(const FakeControl& parent, ControlKind kind) {
    if (kind == ControlKind::TabPage)
        return parent.kind == ControlKind::TabPanel;
    return parent.kind == ControlKind::Frame || parent.kind == ControlKind::FlatFrame ||
           parent.kind == ControlKind::TabPage;
}

}  // namespace

bool control(int id, FakeControl& out) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(id);
    if (found == nullptr)
        return false;
    out = *found;
    return true;
}

std::vector<int> controlIds(int window) {
    std::lock_guard lock(state().mutex);
    std::vector<int> ids;
    for (int id : state().controlOrder)
        if (state().controls.at(id).window == window)
            ids.push_back(id);
    return ids;
}

void selectListRows(int list, const std::vector<int>& rows) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = listLocked(list);
    if (found == nullptr)
        return;
    found->selectedRows.clear();
    for (int row : rows)
        if (rowInRange(*found, row))
            found->selectedRows.push_back(row);
    std::sort(found->selectedRows.begin(), found->selectedRows.end());
    found->selectedRows.erase(std::unique(found->selectedRows.begin(), found->selectedRows.end()),
                              found->selectedRows.end());
}

void typeText(int control, const std::string& text) {
    std::lock_guard lock(state().mutex);
    if (FakeControl* found = controlLocked(control))
        found->text = text;
}

void clickControl(int control) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    FakeControl* found = controlLocked(control);
    if (found == nullptr || !found->enabled)
        return;
    if (found->kind == ControlKind::CheckBox)
        found->state = found->state == 1 ? 0 : 1;
    else if (found->kind != ControlKind::Button)
        return;
    pushEventLocked(s, Event{EventKind::Command, found->window, control, 0, 0});
}

}  // namespace platform::fake_ui

namespace platform {

using namespace fake_ui;

bool createControl(int window, int control, ControlKind kind, Rect geometry,
                   const std::string& text, int parent) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (control <= 0 || s.controls.count(control) != 0 || s.windows.count(window) == 0)
        return false;
    if (parent != 0) {
        FakeControl* parentControl = controlLocked(parent);
        if (parentControl == nullptr || parentControl->window != window ||
            !parentAccepts(*parentControl, kind))
            return false;
    } else if (kind == ControlKind::TabPage) {
        return false;
    }
    FakeControl created;
    created.window = window;
    created.parent = parent;
    created.kind = kind;
    created.geometry = geometry;
    if (kind == ControlKind::ComboBox)
        created.state = -1;
    else if (kind == ControlKind::Ipv4Address)
        created.text = text.empty() ? std::string() : dottedAddress(text);
    else
        created.text = text;
    s.controls[control] = created;
    s.controlOrder.push_back(control);
    return true;
}

void destroyControl(int control) {
    State& s = state();
    std::vector<int> children;
    {
        std::lock_guard lock(s.mutex);
        for (const auto& [id, c] : s.controls)
            if (c.parent == control)
                children.push_back(id);
    }
    for (int child : children)
        destroyControl(child);
    std::lock_guard lock(s.mutex);
    s.controls.erase(control);
    s.controlOrder.erase(std::remove(s.controlOrder.begin(), s.controlOrder.end(), control),
                         s.controlOrder.end());
}

bool controlExists(int control) {
    std::lock_guard lock(state().mutex);
    return controlLocked(control) != nullptr;
}

void setControlText(int control, const std::string& text) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    if (found == nullptr)
        return;
    if (found->kind == ControlKind::ComboBox) {
        auto item = std::find(found->comboItems.begin(), found->comboItems.end(), text);
        if (item != found->comboItems.end()) {
            found->state = static_cast<int>(item - found->comboItems.begin());
            found->text = text;
        }
    } else if (found->kind == ControlKind::Ipv4Address) {
        found->text = text.empty() ? std::string() : dottedAddress(text);
    } else {
        found->text = text;
    }
}

std::string controlText(int control) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    if (found == nullptr)
        return std::string();
    if (found->kind == ControlKind::Ipv4Address)
        return dottedAddress(found->text);
    return found->text;
}

void setControlState(int control, int value) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    if (found == nullptr)
        return;
    switch (found->kind) {
        case ControlKind::CheckBox:
            found->state = value == 0 ? 0 : value == 2 ? 2 : 1;
            break;
        case ControlKind::ComboBox:
            if (value < 0 || value >= static_cast<int>(found->comboItems.size()))
                value = -1;
            found->state = value;
            found->text = value < 0 ? "" : found->comboItems[static_cast<size_t>(value)];
            break;
        case ControlKind::TabPanel: {
            int pages = 0;
            for (const auto& [id, c] : state().controls)
                if (c.parent == control && c.kind == ControlKind::TabPage)
                    ++pages;
            if (value >= 0 && value < pages)
                found->state = value;
            break;
        }
        default:
            break;
    }
}

int controlState(int control) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    return found == nullptr ? 0 : found->state;
}

void setControlGeometry(int control, Rect geometry) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    if (found != nullptr && found->kind != ControlKind::TabPage && geometry.width >= 0 &&
        geometry.height >= 0)
        found->geometry = geometry;
}

Rect controlGeometry(int control) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    return found == nullptr ? Rect{} : found->geometry;
}

void setControlEnabled(int control, bool enabled) {
    std::lock_guard lock(state().mutex);
    if (FakeControl* found = controlLocked(control))
        found->enabled = enabled;
}

bool controlEnabled(int control) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    return found != nullptr && found->enabled;
}

void setControlVisible(int control, bool visible) {
    std::lock_guard lock(state().mutex);
    if (FakeControl* found = controlLocked(control))
        found->visible = visible;
}

void focusControl(int control) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    if (found == nullptr)
        return;
    for (auto& [id, c] : state().controls)
        if (c.window == found->window)
            c.focused = false;
    found->focused = true;
}

void showImage(int control, const Image* image) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    if (found == nullptr || found->kind != ControlKind::ImageView)
        return;
    found->hasImage = image != nullptr && image->valid();
    found->imageWidth = found->hasImage ? image->width : 0;
    found->imageHeight = found->hasImage ? image->height : 0;
    if (found->hasImage)
        ++found->imageShows;
}

void addComboItem(int control, const std::string& text) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    if (found != nullptr && found->kind == ControlKind::ComboBox)
        found->comboItems.push_back(text);
}

int comboItemCount(int control) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    return found == nullptr ? 0 : static_cast<int>(found->comboItems.size());
}

int findComboItem(int control, const std::string& text) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = controlLocked(control);
    if (found == nullptr)
        return -1;
    for (size_t i = 0; i < found->comboItems.size(); ++i)
        if (sameIgnoringCase(found->comboItems[i], text))
            return static_cast<int>(i);
    return -1;
}

void addListColumn(int list, const std::string& title, int width) {
    std::lock_guard lock(state().mutex);
    if (FakeControl* found = listLocked(list))
        found->columns.emplace_back(title, std::max(0, width));
}

int addListRow(int list, const std::vector<std::string>& cells, std::intptr_t data) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = listLocked(list);
    if (found == nullptr)
        return -1;
    found->rows.push_back(FakeListRow{cells, data});
    return static_cast<int>(found->rows.size()) - 1;
}

void removeListRow(int list, int row) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = listLocked(list);
    if (found == nullptr || !rowInRange(*found, row))
        return;
    found->rows.erase(found->rows.begin() + row);
    auto& chosen = found->selectedRows;
    chosen.erase(std::remove(chosen.begin(), chosen.end(), row), chosen.end());
    for (int& other : chosen)
        if (other > row)
            --other;
}

void clearList(int list) {
    std::lock_guard lock(state().mutex);
    if (FakeControl* found = listLocked(list)) {
        found->rows.clear();
        found->selectedRows.clear();
    }
}

int listRowCount(int list) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = listLocked(list);
    return found == nullptr ? 0 : static_cast<int>(found->rows.size());
}

std::string listCellText(int list, int row, int column) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = listLocked(list);
    if (found == nullptr || !rowInRange(*found, row) || column < 0)
        return std::string();
    const auto& cells = found->rows[static_cast<size_t>(row)].cells;
    return static_cast<size_t>(column) < cells.size() ? cells[static_cast<size_t>(column)]
                                                      : std::string();
}

void setListCellText(int list, int row, int column, const std::string& text) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = listLocked(list);
    if (found == nullptr || !rowInRange(*found, row) || column < 0 || column >= 256)
        return;
    auto& cells = found->rows[static_cast<size_t>(row)].cells;
    if (static_cast<size_t>(column) >= cells.size())
        cells.resize(static_cast<size_t>(column) + 1);
    cells[static_cast<size_t>(column)] = text;
}

std::intptr_t listRowData(int list, int row) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = listLocked(list);
    return found == nullptr || !rowInRange(*found, row)
               ? 0
               : found->rows[static_cast<size_t>(row)].data;
}

std::vector<int> selectedListRows(int list) {
    std::lock_guard lock(state().mutex);
    FakeControl* found = listLocked(list);
    return found == nullptr ? std::vector<int>() : found->selectedRows;
}

bool decodeImageFile(const uint8_t*, size_t, Image& image) {
    // Headless tests build their pictures in code; files are not decoded here.
    image = Image{};
    return false;
}

Image scaleImage(const Image& source, int width, int height) {
    Image scaled;
    constexpr int64_t kMostPixels = int64_t{1} << 26;  // far beyond any screen
    if (!source.valid() || width < 1 || height < 1 ||
        static_cast<int64_t>(width) * height > kMostPixels)
        return scaled;
    // Nearest pixel: enough for tests that look at sizes and rough content.
    scaled.width = width;
    scaled.height = height;
    scaled.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const int fromY = static_cast<int>(static_cast<int64_t>(y) * source.height / height);
        for (int x = 0; x < width; ++x) {
            const int fromX = static_cast<int>(static_cast<int64_t>(x) * source.width / width);
            scaled.pixels[static_cast<size_t>(y) * static_cast<size_t>(width) +
                          static_cast<size_t>(x)] =
                source.pixels[static_cast<size_t>(fromY) * static_cast<size_t>(source.width) +
                              static_cast<size_t>(fromX)];
        }
    }
    return scaled;
}

}  // namespace platform
