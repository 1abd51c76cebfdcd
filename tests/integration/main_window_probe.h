// The parts of the main window the server writes into, built on the headless UI, and
// what they show.
#pragma once

#include <string>
#include <vector>

namespace testing_support::ui {

// Starts the headless UI afresh with a main window that has the clients list and the
// status bar.
void reset();

std::vector<std::vector<std::string>> clientRows();
std::string serverStatusText();
std::vector<std::string> messageBoxes();  // "title|text" each

}  // namespace testing_support::ui
