// Controls: the system's own classes for edits, buttons, check boxes, drop-down lists,
// labels, the tab control and the IPv4 address control; panels and the image view are
// classes of this backend.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {
namespace {

struct ClassAndStyle {
    const wchar_t* name;
    DWORD style;
    DWORD extended;
};

ClassAndStyle classFor(ControlKind kind) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (kind) {
        case ControlKind::Frame:
        case ControlKind::FlatFrame:
        case ControlKind::TabPage:
            return {kContainerClass, child | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
        case ControlKind::TabPanel:
            return {WC_TABCONTROLW, child | WS_CLIPSIBLINGS | WS_TABSTOP, 0};
        case ControlKind::ImageView:
            return {kImageClass, child, 0};
        case ControlKind::ListView:
            return {WC_LISTVIEWW, child, 0};
        case ControlKind::Label:
            return {L"STATIC", child | SS_LEFT, 0};
        case ControlKind::Edit:
            return {L"EDIT", child | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::PasswordEdit:
            return {L"EDIT", child | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, WS_EX_CLIENTEDGE};
        case ControlKind::DigitsEdit:
            return {L"EDIT", child | WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER, WS_EX_CLIENTEDGE};
        case ControlKind::Ipv4Address:
            return {WC_IPADDRESSW, child | WS_TABSTOP, 0};
        case ControlKind::CheckBox:
            return {L"BUTTON", child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
        case ControlKind::ComboBox:
            return {L"COMBOBOX", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
        case ControlKind::Button:
            return {L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0};
    }
    return {L"STATIC", child, 0};
}

HWND handleOf(int control) {
    auto found = handles().controls.find(control);
    return found != handles().controls.end() ? found->second : nullptr;
}

HFONT fontOf(int window) {
    std::lock_guard lock(records().mutex);
    const WindowRecord* record = records().window(window);
    const bool dialog = record != nullptr && (record->flags & kWindowToolWindow) != 0;
    return dialog ? handles().dialogFont : handles().font;
}

int windowOfControl(int control) {
    std::lock_guard lock(records().mutex);
    const ControlRecord* record = records().control(control);
    return record != nullptr ? record->window : 0;
}

std::string dotted(DWORD address) {
    return std::to_string(FIRST_IPADDRESS(address)) + "." +
           std::to_string(SECOND_IPADDRESS(address)) + "." +
           std::to_string(THIRD_IPADDRESS(address)) + "." +
           std::to_string(FOURTH_IPADDRESS(address));
}

// The address control's text: the dotted address, "" while every field is blank.
std::string addressText(HWND control) {
    if (::SendMessageW(control, IPM_ISBLANK, 0, 0) != 0)
        return std::string();
    DWORD address = 0;
    ::SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    return dotted(address);
}

// "a.b.c.d" as the address control's number; false for "" (blank). Missing or blank
// fields count as 0, larger numbers as 255.
bool parseAddress(const std::string& text, DWORD& address) {
    if (text.empty())
        return false;
    unsigned fields[4] = {0, 0, 0, 0};
    size_t field = 0;
    for (char c : text) {
        if (c == '.') {
            if (++field == 4)
                break;
        } else if (c >= '0' && c <= '9') {
            fields[field] = std::min(255u, fields[field] * 10 + static_cast<unsigned>(c - '0'));
        }
    }
    address = MAKEIPADDRESS(fields[0], fields[1], fields[2], fields[3]);
    return true;
}

void storeText(int control, const std::string& text) {
    std::lock_guard lock(records().mutex);
    if (ControlRecord* record = records().control(control))
        record->text = text;
}

void showSelectedPage(int panel, int selected) {
    const auto& pages = handles().tabPages[panel];
    for (size_t i = 0; i < pages.size(); ++i)
        if (HWND page = handleOf(pages[i]))
            ::ShowWindow(page, static_cast<int>(i) == selected ? SW_SHOW : SW_HIDE);
}

void paintFrame(HWND window, ControlKind kind) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT area;
    ::GetClientRect(window, &area);
    if (kind == ControlKind::Frame)
        ::DrawEdge(dc, &area, EDGE_ETCHED, BF_RECT);
    else if (kind == ControlKind::FlatFrame)
        ::DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT);
    ::EndPaint(window, &paint);
}

void paintImage(HWND window, int control) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT area;
    ::GetClientRect(window, &area);
    auto found = handles().viewBitmaps.find(control);
    BITMAP facts{};
    if (found != handles().viewBitmaps.end() &&
        ::GetObjectW(found->second, sizeof facts, &facts) != 0) {
        HDC memory = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(memory, found->second);
        ::BitBlt(dc, 0, 0, facts.bmWidth, facts.bmHeight, memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
        ::ExcludeClipRect(dc, 0, 0, facts.bmWidth, facts.bmHeight);
    }
    ::FillRect(dc, &area, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    ::EndPaint(window, &paint);
}

void applyContent(int control, HWND handle, const ControlRecord& record) {
    switch (record.kind) {
        case ControlKind::Label:
        case ControlKind::Edit:
        case ControlKind::PasswordEdit:
        case ControlKind::DigitsEdit:
        case ControlKind::CheckBox:
        case ControlKind::Button:
            if (windowText(handle) != record.text)
                ::SetWindowTextW(handle, toDisplay(record.text).c_str());
            if (record.kind == ControlKind::CheckBox)
                ::SendMessageW(handle, BM_SETCHECK, static_cast<WPARAM>(record.state), 0);
            break;
        case ControlKind::Ipv4Address: {
            if (addressText(handle) == record.text)
                break;
            DWORD address = 0;
            if (parseAddress(record.text, address))
                ::SendMessageW(handle, IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
            else
                ::SendMessageW(handle, IPM_CLEARADDRESS, 0, 0);
            break;
        }
        case ControlKind::ComboBox: {
            const auto count = static_cast<size_t>(::SendMessageW(handle, CB_GETCOUNT, 0, 0));
            for (size_t i = count; i < record.comboItems.size(); ++i)
                ::SendMessageW(handle, CB_ADDSTRING, 0,
                               reinterpret_cast<LPARAM>(toDisplay(record.comboItems[i]).c_str()));
            ::SendMessageW(handle, CB_SETCURSEL, static_cast<WPARAM>(record.state), 0);
            break;
        }
        case ControlKind::TabPanel:
            if (::SendMessageW(handle, TCM_GETCURSEL, 0, 0) != record.state)
                ::SendMessageW(handle, TCM_SETCURSEL, static_cast<WPARAM>(record.state), 0);
            showSelectedPage(control, record.state);
            break;
        case ControlKind::TabPage: {
            auto panel = handles().tabPages.find(record.parent);
            HWND tabs = handleOf(record.parent);
            if (panel == handles().tabPages.end() || tabs == nullptr)
                break;
            const auto index = std::find(panel->second.begin(), panel->second.end(), control) -
                               panel->second.begin();
            std::wstring title = toDisplay(record.text);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = title.data();
            ::SendMessageW(tabs, TCM_SETITEMW, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(&item));
            break;
        }
        case ControlKind::ImageView: {
            uint64_t& shownSerial = handles().viewSerials[control];
            if (shownSerial == record.imageSerial)
                break;
            shownSerial = record.imageSerial;
            auto old = handles().viewBitmaps.find(control);
            if (old != handles().viewBitmaps.end()) {
                ::DeleteObject(old->second);
                handles().viewBitmaps.erase(old);
            }
            if (HBITMAP bitmap = makeBitmap(imageOf(record.image), false))
                handles().viewBitmaps[control] = bitmap;
            ::InvalidateRect(handle, nullptr, FALSE);
            break;
        }
        case ControlKind::ListView:
            applyList(control, record);
            break;
        default:
            break;
    }
}

}  // namespace

void applyControl(int control) {
    HWND handle = handleOf(control);
    if (handle == nullptr)
        return;
    ControlRecord record;
    {
        std::lock_guard lock(records().mutex);
        const ControlRecord* found = records().control(control);
        if (found == nullptr)
            return;
        record = *found;
    }
    applyContent(control, handle, record);
    if (record.kind != ControlKind::TabPage) {
        RECT now{};
        ::GetWindowRect(handle, &now);
        ::MapWindowPoints(nullptr, ::GetParent(handle), reinterpret_cast<POINT*>(&now), 2);
        const Rect& g = record.geometry;
        if (now.left != g.x || now.top != g.y || now.right - now.left != g.width ||
            now.bottom - now.top != g.height) {
            ::MoveWindow(handle, g.x, g.y, g.width, g.height, TRUE);
            if (record.kind == ControlKind::TabPanel)
                layoutTabPages(control);
        }
        const bool visible = (::GetWindowLongPtrW(handle, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible != record.visible)
            ::ShowWindow(handle, record.visible ? SW_SHOW : SW_HIDE);
    }
    if ((::IsWindowEnabled(handle) != 0) != record.enabled)
        ::EnableWindow(handle, record.enabled);
}

// Tab pages lie over the tab control's display area, as siblings above it: a tab control
// passes nothing on from children of its own.
void layoutTabPages(int panel) {
    HWND tabs = handleOf(panel);
    if (tabs == nullptr)
        return;
    RECT area{};
    ::GetClientRect(tabs, &area);
    ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    RECT placed = area;
    ::MapWindowPoints(tabs, ::GetParent(tabs), reinterpret_cast<POINT*>(&placed), 2);
    for (int page : handles().tabPages[panel]) {
        if (HWND handle = handleOf(page))
            ::SetWindowPos(handle, HWND_TOP, placed.left, placed.top, placed.right - placed.left,
                           placed.bottom - placed.top, SWP_NOACTIVATE);
        std::lock_guard lock(records().mutex);
        if (ControlRecord* record = records().control(page))
            record->geometry =
                Rect{area.left, area.top, area.right - area.left, area.bottom - area.top};
    }
}

bool handleCommand(HWND, WPARAM wParam, LPARAM lParam) {
    HWND handle = reinterpret_cast<HWND>(lParam);
    const int control = controlIdOf(handle);
    if (control == 0)
        return false;
    const int window = windowOfControl(control);
    const unsigned code = HIWORD(wParam);
    ControlKind kind;
    {
        std::lock_guard lock(records().mutex);
        const ControlRecord* record = records().control(control);
        if (record == nullptr)
            return false;
        kind = record->kind;
    }
    switch (kind) {
        case ControlKind::Button:
            if (code == BN_CLICKED)
                pushEvent(Event{EventKind::Command, window, control, 0, 0});
            return true;
        case ControlKind::CheckBox:
            if (code == BN_CLICKED) {
                const auto checked = ::SendMessageW(handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
                {
                    std::lock_guard lock(records().mutex);
                    records().setState(control, checked ? 1 : 0);
                }
                pushEvent(Event{EventKind::Command, window, control, 0, 0});
            }
            return true;
        case ControlKind::Edit:
        case ControlKind::PasswordEdit:
        case ControlKind::DigitsEdit:
            if (code == EN_CHANGE)
                storeText(control, windowText(handle));
            return true;
        case ControlKind::Ipv4Address:
            if (code == EN_CHANGE)
                storeText(control, addressText(handle));
            return true;
        case ControlKind::ComboBox:
            if (code == CBN_SELCHANGE) {
                const auto index = static_cast<int>(::SendMessageW(handle, CB_GETCURSEL, 0, 0));
                std::lock_guard lock(records().mutex);
                records().setState(control, index);
            }
            return true;
        default:
            return false;
    }
}

bool handleNotify(HWND, LPARAM lParam, LRESULT& result) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == TTN_GETDISPINFOW) {
        // A toolbar button's tooltip: the id is the button's command.
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        for (auto& [id, w] : handles().windows) {
            auto tip = w.toolTips.find(static_cast<int>(header->idFrom));
            if (tip != w.toolTips.end() && w.toolBar != nullptr) {
                info->lpszText = tip->second.data();
                result = 0;
                return true;
            }
        }
        return false;
    }
    const int control = controlIdOf(header->hwndFrom);
    if (control == 0)
        return false;
    if (header->code == TCN_SELCHANGE) {
        const auto index = static_cast<int>(::SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
        {
            std::lock_guard lock(records().mutex);
            records().setState(control, index);
        }
        showSelectedPage(control, index);
        result = 0;
        return true;
    }
    if (header->code == LVN_ITEMCHANGED) {
        std::vector<int> selected;
        int row = -1;
        while ((row = static_cast<int>(::SendMessageW(header->hwndFrom, LVM_GETNEXTITEM,
                                                      static_cast<WPARAM>(row), LVNI_SELECTED))) >=
               0)
            selected.push_back(row);
        std::lock_guard lock(records().mutex);
        if (ControlRecord* record = records().control(control))
            record->selectRows(selected);
        result = 0;
        return true;
    }
    return false;
}

LRESULT CALLBACK containerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (handleCommand(window, wParam, lParam))
                return 0;
            break;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (handleNotify(window, lParam, result))
                return result;
            break;
        }
        case WM_PAINT: {
            ControlKind kind = ControlKind::TabPage;
            {
                std::lock_guard lock(records().mutex);
                if (const ControlRecord* record = records().control(controlIdOf(window)))
                    kind = record->kind;
            }
            paintFrame(window, kind);
            return 0;
        }
        case WM_NCHITTEST: {
            // Frames are decoration: the mouse works what lies beneath them.
            const LRESULT hit = ::DefWindowProcW(window, message, wParam, lParam);
            return hit == HTCLIENT ? HTTRANSPARENT : hit;
        }
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK imageViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int control = controlIdOf(window);
    EventKind kind = EventKind::None;
    switch (message) {
        case WM_PAINT:
            paintImage(window, control);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
            kind = EventKind::LeftClick;
            break;
        case WM_LBUTTONDBLCLK:
            kind = EventKind::LeftDoubleClick;
            break;
        case WM_RBUTTONDBLCLK:
            kind = EventKind::RightDoubleClick;
            ::SetPropW(window, L"KorvoSkipRightUp", reinterpret_cast<HANDLE>(1));
            break;
        case WM_RBUTTONUP:
            if (::RemovePropW(window, L"KorvoSkipRightUp") == nullptr)
                kind = EventKind::RightClick;
            break;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (kind != EventKind::None && control != 0)
        pushEvent(Event{kind, windowOfControl(control), control, 0, 0});
    return 0;
}

}  // namespace platform::win32ui

namespace platform {

using namespace win32ui;

bool createControl(int window, int control, ControlKind kind, Rect geometry,
                   const std::string& text, int parent) {
    if (!onGuiThreadNow() || control <= 0 || handles().controls.count(control) != 0)
        return false;
    auto owner = handles().windows.find(window);
    if (owner == handles().windows.end())
        return false;
    {
        std::lock_guard lock(records().mutex);
        if (!records().mayCreateControl(window, control, kind, parent))
            return false;
    }
    HWND parentHandle = parent == 0 ? owner->second.top : handleOf(parent);
    if (kind == ControlKind::TabPage)
        parentHandle = ::GetParent(parentHandle);  // beside the tab control, see layoutTabPages
    const ClassAndStyle made = classFor(kind);
    HWND handle = kind == ControlKind::ListView
                      ? makeListView(parentHandle)
                      : ::CreateWindowExW(made.extended, made.name, L"", made.style, geometry.x,
                                          geometry.y, geometry.width, geometry.height, parentHandle,
                                          nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (handle == nullptr)
        return false;
    ::SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(window)), FALSE);
    // A later control lies above the earlier ones it overlaps (the system would put it
    // below them); the toolbar and the status bar stay above all.
    const UINT keepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    ::SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, keepPlace);
    for (HWND bar : {owner->second.toolBar, owner->second.statusBar})
        if (bar != nullptr)
            ::SetWindowPos(bar, HWND_TOP, 0, 0, 0, 0, keepPlace);
    {
        std::lock_guard lock(records().mutex);
        records().addControl(window, control, kind, geometry, text, parent);
    }
    handles().controls[control] = handle;
    if (kind == ControlKind::TabPage) {
        std::vector<int>& pages = handles().tabPages[parent];
        pages.push_back(control);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        std::wstring title = toDisplay(text);
        item.pszText = title.data();
        ::SendMessageW(handleOf(parent), TCM_INSERTITEMW, pages.size() - 1,
                       reinterpret_cast<LPARAM>(&item));
        layoutTabPages(parent);
        std::lock_guard lock(records().mutex);
        if (pages.size() == 1)
            records().setState(parent, 0);
    }
    if (kind == ControlKind::TabPage)
        applyControl(parent);
    applyControl(control);
    return true;
}

void destroyControl(int control) {
    if (!onGuiThreadNow())
        return;
    std::vector<int> children;
    {
        std::lock_guard lock(records().mutex);
        children = records().childControls(control);
    }
    for (int child : children)
        destroyControl(child);
    HWND handle = handleOf(control);
    {
        std::lock_guard lock(records().mutex);
        records().removeControl(control);
    }
    handles().controls.erase(control);
    handles().viewSerials.erase(control);
    auto bitmap = handles().viewBitmaps.find(control);
    if (bitmap != handles().viewBitmaps.end()) {
        ::DeleteObject(bitmap->second);
        handles().viewBitmaps.erase(bitmap);
    }
    handles().tabPages.erase(control);
    for (auto& [panel, pages] : handles().tabPages)
        std::erase(pages, control);
    if (handle != nullptr)
        ::DestroyWindow(handle);
}

bool controlExists(int control) {
    std::lock_guard lock(records().mutex);
    return records().control(control) != nullptr;
}

void setControlText(int control, const std::string& text) {
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = records().control(control);
        if (record == nullptr)
            return;
        record->setText(text);
    }
    onGuiThread([control] { applyControl(control); });
}

std::string controlText(int control) {
    std::lock_guard lock(records().mutex);
    const ControlRecord* record = records().control(control);
    if (record == nullptr)
        return std::string();
    if (record->kind == ControlKind::Ipv4Address) {
        // A blank field reads as 0.
        DWORD address = 0;
        return parseAddress(record->text, address) ? dotted(address) : "0.0.0.0";
    }
    return record->text;
}

void setControlState(int control, int state) {
    {
        std::lock_guard lock(records().mutex);
        if (!records().setState(control, state))
            return;
    }
    onGuiThread([control] { applyControl(control); });
}

int controlState(int control) {
    std::lock_guard lock(records().mutex);
    const ControlRecord* record = records().control(control);
    return record != nullptr ? record->state : 0;
}

void setControlGeometry(int control, Rect geometry) {
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = records().control(control);
        if (record == nullptr || record->kind == ControlKind::TabPage)
            return;
        record->geometry = geometry;
    }
    onGuiThread([control] { applyControl(control); });
}

Rect controlGeometry(int control) {
    std::lock_guard lock(records().mutex);
    const ControlRecord* record = records().control(control);
    return record != nullptr ? record->geometry : Rect{};
}

void setControlEnabled(int control, bool enabled) {
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = records().control(control);
        if (record == nullptr)
            return;
        record->enabled = enabled;
    }
    onGuiThread([control] { applyControl(control); });
}

bool controlEnabled(int control) {
    std::lock_guard lock(records().mutex);
    const ControlRecord* record = records().control(control);
    return record != nullptr && record->enabled;
}

void setControlVisible(int control, bool visible) {
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = records().control(control);
        if (record == nullptr)
            return;
        record->visible = visible;
    }
    onGuiThread([control] { applyControl(control); });
}

void focusControl(int control) {
    onGuiThread([control] {
        if (HWND handle = handleOf(control))
            ::SetFocus(handle);
    });
}

void showImage(int control, const Image* image) {
    ui_model::ImageHandle picture = pictureOf(image);
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = records().control(control, ControlKind::ImageView);
        if (record == nullptr)
            return;
        record->showImage(std::move(picture));
    }
    onGuiThread([control] { applyControl(control); });
}

void addComboItem(int control, const std::string& text) {
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* record = records().control(control, ControlKind::ComboBox);
        if (record == nullptr)
            return;
        record->comboItems.push_back(text);
    }
    onGuiThread([control] { applyControl(control); });
}

int comboItemCount(int control) {
    std::lock_guard lock(records().mutex);
    const ControlRecord* record = records().control(control, ControlKind::ComboBox);
    return record != nullptr ? static_cast<int>(record->comboItems.size()) : 0;
}

int findComboItem(int control, const std::string& text) {
    std::lock_guard lock(records().mutex);
    const ControlRecord* record = records().control(control, ControlKind::ComboBox);
    return record != nullptr ? record->findComboItem(text) : -1;
}

}  // namespace platform
