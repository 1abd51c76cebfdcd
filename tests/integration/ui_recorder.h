// A stand-in for the few window operations the server uses: it keeps the main window's
// clients list and status fields as plain data and records message boxes.
#pragma once

#include <string>
#include <vector>

namespace testing_support::ui {

std::vector<std::vector<std::string>> clientRows();
std::string serverStatusText();
std::vector<std::string> messageBoxes();  // "title|text" each
void reset();

}  // namespace testing_support::ui
