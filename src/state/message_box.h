// The one rule for message boxes that every role follows.
#pragma once

#include <string>

#include "platform/ui.h"

namespace korvo {

// An OK box with the error or information icon over `owner` (0 for none), from any
// thread; blocks only its caller. Shows nothing and answers 0 when suppressMessages is
// 1; otherwise answers the button pressed.
int showMessage(int owner, const std::string& title, const std::string& text,
                platform::MessageIcon icon);

}  // namespace korvo
