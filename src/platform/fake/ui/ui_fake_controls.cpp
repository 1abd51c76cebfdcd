// Headless controls, lists and images.
#include <algorithm>
#include <array>

#include "platform/fake/ui/ui_fake_state.h"

namespace platform::fake_ui {
namespace {

ui_model::ControlRecord* controlLocked(int id) {
    return state().control(id);
}

ui_model::ControlRecord* listLocked(int id) {
    return state().control(id, ControlKind::ListView);
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

// The headless address control keeps its text dotted; "" blanks it.
std::string addressText(const std::string& text) {
    return text.empty() ? std::string() : dottedAddress(text);
}

}  // namespace

bool control(int id, FakeControl& out) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    const ui_model::ControlRecord* found = s.control(id);
    if (found == nullptr)
        return false;
    out = FakeControl{};
    static_cast<ui_model::ControlRecord&>(out) = *found;
    static_cast<FakeControlExtra&>(out) = s.controlExtras[id];
    if (const auto* picture = static_cast<const Image*>(found->image.get())) {
        out.hasImage = true;
        out.imageWidth = picture->width;
        out.imageHeight = picture->height;
    }
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
    if (ui_model::ControlRecord* found = listLocked(list))
        found->selectRows(rows);
}

void typeText(int control, const std::string& text) {
    std::lock_guard lock(state().mutex);
    if (ui_model::ControlRecord* found = controlLocked(control))
        found->text = text;
}

void clickControl(int control) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    ui_model::ControlRecord* found = controlLocked(control);
    if (found == nullptr || !found->enabled)
        return;
    if (found->kind == ControlKind::CheckBox)
        found->state = found->state == 1 ? 0 : 1;
    else if (found->kind != ControlKind::Button)
        return;
    s.events.push(Event{EventKind::Command, found->window, control, 0, 0});
}

}  // namespace platform::fake_ui

namespace platform {

using namespace fake_ui;

bool createControl(int window, int control, ControlKind kind, Rect geometry,
                   const std::string& text, int parent) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.mayCreateControl(window, control, kind, parent))
        return false;
    s.addControl(window, control, kind, geometry,
                 kind == ControlKind::Ipv4Address ? addressText(text) : text, parent);
    s.controlExtras[control] = FakeControlExtra{};
    s.controlOrder.push_back(control);
    return true;
}

void destroyControl(int control) {
    State& s = state();
    std::vector<int> children;
    {
        std::lock_guard lock(s.mutex);
        children = s.childControls(control);
    }
    for (int child : children)
        destroyControl(child);
    std::lock_guard lock(s.mutex);
    s.removeControl(control);
    s.controlExtras.erase(control);
    s.controlOrder.erase(std::remove(s.controlOrder.begin(), s.controlOrder.end(), control),
                         s.controlOrder.end());
}

bool controlExists(int control) {
    std::lock_guard lock(state().mutex);
    return controlLocked(control) != nullptr;
}

void setControlText(int control, const std::string& text) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = controlLocked(control);
    if (found != nullptr)
        found->setText(found->kind == ControlKind::Ipv4Address ? addressText(text) : text);
}

std::string controlText(int control) {
    std::lock_guard lock(state().mutex);
    const ui_model::ControlRecord* found = controlLocked(control);
    if (found == nullptr)
        return std::string();
    if (found->kind == ControlKind::Ipv4Address)
        return dottedAddress(found->text);
    return found->text;
}

void setControlState(int control, int value) {
    std::lock_guard lock(state().mutex);
    state().setState(control, value);
}

int controlState(int control) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = controlLocked(control);
    return found == nullptr ? 0 : found->state;
}

void setControlGeometry(int control, Rect geometry) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = controlLocked(control);
    if (found != nullptr && found->kind != ControlKind::TabPage && geometry.width >= 0 &&
        geometry.height >= 0)
        found->geometry = geometry;
}

Rect controlGeometry(int control) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = controlLocked(control);
    return found == nullptr ? Rect{} : found->geometry;
}

void setControlEnabled(int control, bool enabled) {
    std::lock_guard lock(state().mutex);
    if (ui_model::ControlRecord* found = controlLocked(control))
        found->enabled = enabled;
}

bool controlEnabled(int control) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = controlLocked(control);
    return found != nullptr && found->enabled;
}

void setControlVisible(int control, bool visible) {
    std::lock_guard lock(state().mutex);
    if (ui_model::ControlRecord* found = controlLocked(control))
        found->visible = visible;
}

void focusControl(int control) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    const ui_model::ControlRecord* found = s.control(control);
    if (found == nullptr)
        return;
    for (const auto& [id, c] : s.controls)
        if (c.window == found->window)
            s.controlExtras[id].focused = false;
    s.controlExtras[control].focused = true;
}

void showImage(int control, const Image* image) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    ui_model::ControlRecord* found = s.control(control, ControlKind::ImageView);
    if (found == nullptr)
        return;
    found->showImage(pictureOf(image));
    if (found->image)
        ++s.controlExtras[control].imageShows;
}

void addComboItem(int control, const std::string& text) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = controlLocked(control);
    if (found != nullptr && found->kind == ControlKind::ComboBox)
        found->comboItems.push_back(text);
}

int comboItemCount(int control) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = controlLocked(control);
    return found == nullptr ? 0 : static_cast<int>(found->comboItems.size());
}

int findComboItem(int control, const std::string& text) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = controlLocked(control);
    return found == nullptr ? -1 : found->findComboItem(text);
}

void addListColumn(int list, const std::string& title, int width) {
    std::lock_guard lock(state().mutex);
    if (ui_model::ControlRecord* found = listLocked(list))
        found->addColumn(title, width);
}

int addListRow(int list, const std::vector<std::string>& cells, std::intptr_t data) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = listLocked(list);
    return found == nullptr ? -1 : found->addRow(cells, data);
}

void removeListRow(int list, int row) {
    std::lock_guard lock(state().mutex);
    if (ui_model::ControlRecord* found = listLocked(list))
        found->removeRow(row);
}

void clearList(int list) {
    std::lock_guard lock(state().mutex);
    if (ui_model::ControlRecord* found = listLocked(list))
        found->clearRows();
}

int listRowCount(int list) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = listLocked(list);
    return found == nullptr ? 0 : static_cast<int>(found->rows.size());
}

std::string listCellText(int list, int row, int column) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = listLocked(list);
    return found == nullptr ? std::string() : found->cellText(row, column);
}

void setListCellText(int list, int row, int column, const std::string& text) {
    std::lock_guard lock(state().mutex);
    if (ui_model::ControlRecord* found = listLocked(list))
        found->setCellText(row, column, text);
}

std::intptr_t listRowData(int list, int row) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = listLocked(list);
    return found == nullptr ? 0 : found->rowData(row);
}

std::vector<int> selectedListRows(int list) {
    std::lock_guard lock(state().mutex);
    ui_model::ControlRecord* found = listLocked(list);
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
