#include "ui_recorder.h"

#include <map>
#include <mutex>

#include "app/state/main_window_ids.h"
#include "platform/ui.h"

namespace testing_support::ui {
namespace {
std::mutex lock;
std::vector<std::vector<std::string>> rows;
std::map<int, std::string> statusFields;
std::vector<std::string> boxes;
}  // namespace

std::vector<std::vector<std::string>> clientRows() {
    std::lock_guard guard(lock);
    return rows;
}

std::string serverStatusText() {
    std::lock_guard guard(lock);
    return statusFields[korvo::statusField::kServerStatus];
}

std::vector<std::string> messageBoxes() {
    std::lock_guard guard(lock);
    return boxes;
}

void reset() {
    std::lock_guard guard(lock);
    rows.clear();
    statusFields.clear();
    boxes.clear();
}

}  // namespace testing_support::ui

namespace platform {

using namespace testing_support::ui;

void setStatusField(int window, int field, const std::string& text, const Image*) {
    std::lock_guard guard(lock);
    if (window == korvo::kMainWindowId)
        statusFields[field] = text;
}

int addListRow(int list, const std::vector<std::string>& cells, std::intptr_t) {
    std::lock_guard guard(lock);
    if (list != korvo::mainControl::kClientsList)
        return -1;
    rows.push_back(cells);
    return static_cast<int>(rows.size()) - 1;
}

void removeListRow(int list, int row) {
    std::lock_guard guard(lock);
    if (list == korvo::mainControl::kClientsList && row >= 0 && row < static_cast<int>(rows.size()))
        rows.erase(rows.begin() + row);
}

void clearList(int list) {
    std::lock_guard guard(lock);
    if (list == korvo::mainControl::kClientsList)
        rows.clear();
}

int showMessageBox(int, const std::string& title, const std::string& text, MessageIcon,
                   MessageButtons) {
    std::lock_guard guard(lock);
    boxes.push_back(title + "|" + text);
    return kAnswerOk;
}

}  // namespace platform
