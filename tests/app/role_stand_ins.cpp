#include "role_stand_ins.h"

#include "app/roles/roles.h"
#include "state/process_state.h"

namespace korvo {

namespace standIn {

Record record;

void resetRecord() {
    record = Record{};
}

void obedientServer() {
    while (stopServerRequested == 0 && platform::sleepUnlessStopped(shortTickMs)) {
    }
    stopServerRequested = 0;
}

void stubbornRole() {
    while (platform::sleepUnlessStopped(shortTickMs)) {
    }
}

}  // namespace standIn

using standIn::record;

platform::ThreadHandle startServerRole() {
    ++record.serverStarts;
    return platform::startThread(record.roleEntry);
}

platform::ThreadHandle startClientRole() {
    ++record.clientStarts;
    return platform::startThread(record.roleEntry);
}

void closeServerRole() {
    ++record.closeServerCalls;
}

void closeClientConnection() {
    ++record.closeConnectionCalls;
}

bool runConnectDialog() {
    ++record.connectDialogRuns;
    return record.connectDialogAnswer;
}

bool runSettingsWindow(int page) {
    record.settingsPages.push_back(page);
    return record.settingsAnswer;
}

void captureShortcut(int eventNumber) {
    record.shortcuts.push_back(eventNumber);
}

void captureViewClick(int flagPosition) {
    record.clicks.push_back(flagPosition);
}

void showCurrentFrameAgain() {
    ++record.frameRefreshes;
}

}  // namespace korvo
