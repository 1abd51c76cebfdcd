// Failed logins per address: a guesser is refused unchecked for longer and longer, and
// nobody waits for it.
#include "server/login_throttle.h"
#include "server/server_clock.h"
#include "server_fixture.h"

namespace testing_support {
namespace {

using korvo::kFirstThrottleMs;
using korvo::loginsRefusedFrom;
using korvo::noteFailedLogin;

constexpr uint32_t kGuesser = 0x0A000001u;

// Five failures, one a millisecond, the last at `lastMs`.
void failFiveTimes(uint32_t address, uint64_t lastMs) {
    for (uint64_t t = lastMs - 4; t <= lastMs; ++t)
        noteFailedLogin(address, t);
}

class LoginThrottle : public ::testing::Test {
protected:
    void SetUp() override { korvo::forgetFailedLogins(); }
    void TearDown() override { korvo::forgetFailedLogins(); }
};

TEST_F(ServerTest, FiveFailedLoginsRefuseTheRightOneFromThatAddressForTenSeconds) {
    startServer();
    for (int i = 0; i < 5; ++i) {
        auto guesser = connect();
        guesser->send(loginMessage("anna", "guess" + std::to_string(i)));
        ASSERT_EQ(guesser->receive(2), bytes({0x02, 0xFF})) << i;
    }
    auto refused = connect();
    auto begin = std::chrono::steady_clock::now();
    refused->send(loginMessage("anna", "secret"));
    EXPECT_EQ(refused->receive(2), bytes({0x02, 0xFF}));
    EXPECT_TRUE(refused->closedByPeer());
    // Answered as fast as any login: the server does not wait for the throttle.
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(500));

    korvo::shiftServerClock(kFirstThrottleMs);
    loggedIn();
}

TEST_F(LoginThrottle, EachFurtherFailureDoublesTheRefusalUpToTenMinutes) {
    uint64_t now = 1000;
    failFiveTimes(kGuesser, now);
    for (uint64_t expected : {10, 20, 40, 80, 160, 320, 600, 600}) {
        uint64_t end = now + expected * 1000;
        EXPECT_TRUE(loginsRefusedFrom(kGuesser, end - 1)) << expected;
        EXPECT_FALSE(loginsRefusedFrom(kGuesser, end)) << expected;
        now = end;
        noteFailedLogin(kGuesser, now);
    }
    EXPECT_FALSE(loginsRefusedFrom(0x0A000002u, now));
}

TEST_F(LoginThrottle, FiveFailuresCountOnlyWithinAMinute) {
    for (uint64_t t : {0, 15000, 30000, 45000, 60001})
        noteFailedLogin(kGuesser, t);
    EXPECT_FALSE(loginsRefusedFrom(kGuesser, 60001));
    noteFailedLogin(kGuesser, 60002);
    EXPECT_TRUE(loginsRefusedFrom(kGuesser, 60002));
}

TEST_F(LoginThrottle, QuietHourOrAcceptedLoginStartsAfresh) {
    failFiveTimes(kGuesser, 100);
    noteFailedLogin(kGuesser, 100 + kFirstThrottleMs);  // refused for 20 s now
    uint64_t later = 100 + kFirstThrottleMs + korvo::kQuietTimeToForgetMs;
    noteFailedLogin(kGuesser, later);
    EXPECT_FALSE(loginsRefusedFrom(kGuesser, later));

    failFiveTimes(kGuesser, later + 10);
    korvo::noteAcceptedLogin(kGuesser);
    noteFailedLogin(kGuesser, later + 11);
    EXPECT_FALSE(loginsRefusedFrom(kGuesser, later + 11));
}

TEST_F(LoginThrottle, TableIsBoundedAndForgetsTheLongestQuietFirst) {
    failFiveTimes(kGuesser, 100);
    for (uint32_t i = 0; i < korvo::kMostThrottledAddresses - 1; ++i)
        noteFailedLogin(0x0B000000u + i, 200 + i);
    EXPECT_TRUE(loginsRefusedFrom(kGuesser, 5000));
    noteFailedLogin(0x0C000000u, 5000);
    EXPECT_FALSE(loginsRefusedFrom(kGuesser, 5000));
}

}  // namespace
}  // namespace testing_support
