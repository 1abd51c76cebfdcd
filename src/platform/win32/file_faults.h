// Failures of the system's file replacement on demand, for the tests of what the
// backend does after them: the rules cover states a healthy disk seldom shows.
#pragma once

#include <vector>

namespace platform::win32 {

// The next attempts to put a rewritten file in place fail, one error code (a Win32
// error) each, in order. Each leaves the two files as the system leaves them after that
// error: after ERROR_UNABLE_TO_MOVE_REPLACEMENT the old file is gone, after
// ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 it has been renamed away; after any other
// error nothing has changed.
void failNextFilePlacements(const std::vector<unsigned long>& errors);

}  // namespace platform::win32
