// Stand-ins for what the roles and their windows provide to the shell: they record the
// calls and start small threads that behave like a role thread that obeys its stop
// request, or one that ignores it.
#pragma once

#include <vector>

#include "platform/threads.h"

namespace korvo::standIn {

struct Record {
    int serverStarts = 0;
    int clientStarts = 0;
    int closeServerCalls = 0;
    int closeConnectionCalls = 0;
    bool connectDialogAnswer = false;
    int connectDialogRuns = 0;
    bool settingsAnswer = false;
    std::vector<int> settingsPages;
    std::vector<int> shortcuts;
    std::vector<int> clicks;
    int frameRefreshes = 0;
    // The entry the next started role thread runs.
    platform::ThreadEntry roleEntry = nullptr;
};

extern Record record;

void resetRecord();

// A server thread as it should be: leaves when asked, clearing its stop request.
void obedientServer();
// A role thread that ignores its stop request; it leaves only when terminated.
void stubbornRole();

}  // namespace korvo::standIn
