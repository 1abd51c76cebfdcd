// The four client fields (address, port, username, password) as both windows fill them
// from settings.ini, and the stored texts as the fields show them.
#pragma once

#include <string>
#include <string_view>

namespace korvo {

struct ClientFieldIds {
    int address = 0;
    int port = 0;
    int user = 0;
    int password = 0;
};

// Fills the fields from client / ip, port, user and pass.
void fillClientFields(const ClientFieldIds& fields);

// A stored address as the address control takes it: its first four parts split at ".",
// each turned into a number (missing parts give 0); "" for an empty address, which
// leaves the control blank. A number outside 0 to 255 shows as the nearest of the two,
// as if it had been typed into the field.
std::string addressFieldText(std::string_view stored);

// The stored port text as it is when it gives a number above 0, else `otherwise`.
std::string portFieldText(const std::string& stored, const std::string& otherwise);

// A stored switch as a check box state: checked only when it is on, that is exactly 1.
int switchState(const std::string& stored);

}  // namespace korvo
