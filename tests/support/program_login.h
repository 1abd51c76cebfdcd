// Logging in to the real program as a server, from a test: it needs a moment to start
// listening. Its settings.ini holds the login anna / secret.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "integration/raw_client.h"
#include "protocol/wire.h"

namespace testing_support {

inline std::unique_ptr<RawClient> connectAndLogIn(int port) {
    auto login = korvo::encodeLogin("anna", "secret");
    std::string reply;
    auto client = logInWhenListening(port, login.data(), login.size(), reply);
    if (client == nullptr)
        ADD_FAILURE() << "the program never listened on port " << port;
    else
        EXPECT_EQ(reply, std::string("\x02\x09", 2)) << "the login was not accepted";
    return client;
}

}  // namespace testing_support
