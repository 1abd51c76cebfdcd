#include "state/window_shown.h"

#include "platform/ui.h"
#include "state/process_state.h"

namespace korvo {

int setWindowShown(int window, int hide, int fade) {
    const bool shown = hide != 1;
    if (fade == 1)
        platform::fadeWindow(window, shown, fadeMs);
    else
        platform::showWindow(window, shown);
    return 1;
}

}  // namespace korvo
