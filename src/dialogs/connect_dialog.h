// The connect dialog: where the client is to connect and how it logs in.
#pragma once

namespace korvo {

// Opens the dialog filled from settings.ini and waits. True only after the entries
// passed validateConnectInput; they are then in the client fields of the in-memory
// settings. GUI thread only.
bool ConnectDialog();

// Copies the dialog's entries into clientIp, clientPort, clientUser and clientPassword
// (whether they pass or not), lists every failed check in one error box over the
// dialog that is shown even when messages are suppressed, and, when they all pass and
// "save as default" is checked, saves them to settings.ini. True when they all pass.
bool validateConnectInput(int dialog);

}  // namespace korvo
