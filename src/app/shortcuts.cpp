#include "app/shortcuts.h"

#include "viewer/shortcut_table.h"

namespace korvo {

std::vector<ViewerShortcut> viewerShortcuts() {
    std::vector<ViewerShortcut> table;
    table.reserve(kViewerShortcutCount);
    for (const ShortcutRun& run : shortcutRuns()) {
        for (int key = run.firstKey; key <= run.lastKey; ++key)
            table.push_back({key, run.shift, key + run.eventOffset});
    }
    return table;
}

}  // namespace korvo
