// The GUI thread: it builds the main window, applies the start-up choices, runs the
// event loop and leaves through the exit path.
#pragma once

#include <string_view>

#include "platform/ui.h"

namespace korvo {

// The product's web page, opened by the Homepage command.
inline constexpr std::string_view kHomepageUrl = "https://korvo.example/";

// Under this name the user's choice against the restart notice is kept.
inline constexpr std::string_view kRestartNoticeValueName =
    "{3F9C2B71-6D0A-4E58-B1C4-92A7E05D3C16}";

// The GUI thread's entry. Returns only after the exit path.
void runGui();

// "Start in tray" and the automatic start of a role.
void applyStartupChoices();

// Handles one event of the loop; false when the loop is to be left.
bool handleEvent(const platform::Event& event);

// Leaves: closes the help viewer, requests the exit, fades the window out, asks both
// roles to stop and waits for the main thread to end the process.
void runExitPath();

}  // namespace korvo
