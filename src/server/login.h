// The login: its body read, the answer 0x02 and the result byte, a row for an accepted
// client.
#pragma once

#include <string_view>

namespace korvo {

// Reads the 256-byte body after the keyword "login" and answers it. A connection that has
// not logged in yet gets no time to complete its body: a short one closes it. Logins from
// an address that failed too often are refused unchecked (server/login_throttle.h).
// Nothing of the received credentials stays in memory afterwards.
void handleLogin(int connection, bool loggedIn);

// The login check: the username compared whole with ASCII letters in either case, the
// passwords by their upper-case SHA-1 hex texts. For a username of a given length it takes
// the same time whatever the letters, so timing does not tell how much of it was right.
bool credentialsMatch(std::string_view username, std::string_view password);

}  // namespace korvo
