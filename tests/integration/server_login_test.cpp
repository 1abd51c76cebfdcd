// Logins against the real server thread and the client table they fill.
#include <regex>

#include "server_fixture.h"

namespace testing_support {
namespace {

using korvo::clientSlotCount;
using korvo::clientSlotsSnapshot;

TEST_F(ServerTest, AcceptedLoginAddsANumberedRowWithAddressAndTime) {
    startServer();
    auto client = connect();
    client->send(loginMessage("anna", "secret"));
    EXPECT_EQ(client->receive(2), bytes({0x02, 0x09}));
    ASSERT_TRUE(eventually([] { return clientSlotCount() == 1; }));
    auto rows = clientSlotsSnapshot();
    EXPECT_EQ(rows[0].number, "1");
    EXPECT_EQ(rows[0].clientIp, "127.0.0.1");
    EXPECT_TRUE(std::regex_match(rows[0].connectedSince,
                                 std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})")))
        << rows[0].connectedSince;
    expectListMirrorsTable();
    EXPECT_EQ(ui::serverStatusText(), "   Server: Online");
}

TEST_F(ServerTest, UsernameIgnoresLetterCaseAndOuterSpacesButPasswordDoesNot) {
    startServer();
    auto upper = connect();
    upper->send(loginMessage("  ANNA", " secret"));
    EXPECT_EQ(upper->receive(2), bytes({0x02, 0x09}));

    auto wrongCase = connect();
    wrongCase->send(loginMessage("anna", "Secret"));
    EXPECT_EQ(wrongCase->receive(2), bytes({0x02, 0xFF}));
    EXPECT_TRUE(wrongCase->closedByPeer());

    auto wrongUser = connect();
    wrongUser->send(loginMessage("anna2", "secret"));
    EXPECT_EQ(wrongUser->receive(2), bytes({0x02, 0xFF}));
    EXPECT_TRUE(wrongUser->closedByPeer());

    // A tab is not stripped.
    auto tabbed = connect();
    tabbed->send(loginMessage("anna\t", "secret"));
    EXPECT_EQ(tabbed->receive(2), bytes({0x02, 0xFF}));
    EXPECT_EQ(clientSlotCount(), 1u);
}

TEST_F(ServerTest, StoredCredentialsWithOuterSpacesCanNeverMatch) {
    korvo::settings.serverPassword = " secret";
    startServer();
    auto client = connect();
    client->send(loginMessage("anna", " secret"));
    EXPECT_EQ(client->receive(2), bytes({0x02, 0xFF}));
}

TEST_F(ServerTest, SplitMessageIsCompletedAfterLoginAndClosesAConnectionBeforeIt) {
    startServer();
    auto client = loggedIn();
    std::string message = loginMessage("anna", "secret");
    client->send(message.substr(0, 3));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    client->send(message.substr(3, 100));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    client->send(message.substr(103));
    EXPECT_EQ(client->receive(2), bytes({0x02, 0x09}));

    // A stranger sending a byte at a time does not hold the server up for each piece.
    auto stranger = connect();
    stranger->send("ali");
    EXPECT_TRUE(stranger->closedByPeer(200));
}

TEST_F(ServerTest, ClientLimitRefusesTheNextLoginAndKeepsTheFirst) {
    korvo::settings.serverMaxClients = 1;
    startServer();
    auto first = loggedIn();
    auto second = connect();
    second->send(loginMessage("anna", "secret"));
    EXPECT_EQ(second->receive(2), bytes({0x02, 0xFE}));
    EXPECT_TRUE(second->closedByPeer());
    EXPECT_EQ(clientSlotCount(), 1u);
    first->send("alive");
    EXPECT_EQ(first->receive(5), "alive");
}

TEST_F(ServerTest, ConnectionThatNeverLogsInIsNeverListed) {
    startServer();
    auto idle = connect();
    idle->send("alive");
    EXPECT_EQ(idle->receive(5), "alive");
    EXPECT_EQ(clientSlotCount(), 0u);
}

TEST_F(ServerTest, RowsAreNotRenumberedAfterRemovals) {
    startServer();
    auto one = loggedIn();
    auto two = loggedIn();
    auto three = loggedIn();
    one->close();
    ASSERT_TRUE(eventually([] { return clientSlotCount() == 2; }));
    auto four = loggedIn();
    auto rows = clientSlotsSnapshot();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].number, "2");
    EXPECT_EQ(rows[1].number, "3");
    EXPECT_EQ(rows[2].number, "3");
    expectListMirrorsTable();
}

TEST_F(ServerTest, SecondLoginGivesASecondRowAndOneLossPurgesBoth) {
    startServer();
    auto keeper = loggedIn();
    auto twice = loggedIn();
    twice->send(loginMessage("Anna", "secret"));
    EXPECT_EQ(twice->receive(2), bytes({0x02, 0x09}));
    ASSERT_TRUE(eventually([] { return clientSlotCount() == 3; }));

    twice->close();
    ASSERT_TRUE(eventually([] { return clientSlotCount() == 1; }));
    // The survivor is the other client, and it is still served.
    keeper->send("alive");
    EXPECT_EQ(keeper->receive(5), "alive");
    EXPECT_EQ(clientSlotsSnapshot()[0].number, "1");
    expectListMirrorsTable();
}

TEST_F(ServerTest, RefusedSecondLoginClosesTheConnectionAndItsRowsGoAtTheNextLoss) {
    startServer();
    auto client = loggedIn();
    client->send(loginMessage("anna", "wrong"));
    EXPECT_EQ(client->receive(2), bytes({0x02, 0xFF}));
    EXPECT_TRUE(client->closedByPeer());
    // The row stays until a loss is seen; another client's loss purges it.
    auto other = connect();
    other->send("alive");
    EXPECT_EQ(other->receive(5), "alive");
    other->close();
    EXPECT_TRUE(eventually([] { return clientSlotCount() == 0; }));
    // A new connection is not mistaken for the closed one.
    auto fresh = connect();
    fresh->send("ready");
    EXPECT_TRUE(fresh->silentFor(200));
}

TEST_F(ServerTest, StopClearsTheListClosesConnectionsAndEndsWithinHalfASecond) {
    startServer();
    auto a = loggedIn();
    auto b = loggedIn();
    auto took = stopServer();
    EXPECT_LT(took.count(), 505);
    EXPECT_EQ(result_, 0);
    EXPECT_EQ(clientSlotCount(), 0u);
    EXPECT_TRUE(ui::clientRows().empty());
    EXPECT_EQ(korvo::serverOpen, 0);
    EXPECT_EQ(korvo::stopServerRequested, 0);
    EXPECT_TRUE(a->closedByPeer(1000));
    EXPECT_TRUE(b->closedByPeer(1000));

    // Starting again begins with an empty list.
    startServer();
    auto c = loggedIn();
    EXPECT_EQ(clientSlotsSnapshot()[0].number, "1");
}

TEST(ClientSlotTexts, AddressAndLoginTime) {
    EXPECT_EQ(korvo::formatDottedAddress(0xC0A8000Au), "192.168.0.10");
    EXPECT_EQ(korvo::formatDottedAddress(0), "0.0.0.0");
    EXPECT_EQ(korvo::formatDottedAddress(0xFFFFFFFFu), "255.255.255.255");
    EXPECT_EQ(korvo::formatLoginTime({2009, 3, 7, 18, 5, 9}), "2009-03-07 18:05:09");
    EXPECT_EQ(korvo::formatLoginTime({10000, 12, 31, 23, 59, 59}), "10000-12-31 23:59:59");
}

TEST_F(ServerTest, PortInUseFailsTheStart) {
    int holder = platform::openServer(0);
    ASSERT_NE(holder, 0);
    korvo::settings.serverPort = platform::serverPort(holder);
    std::thread thread([this] { result_ = korvo::runServer(); });
    thread.join();
    EXPECT_EQ(result_, 1);
    EXPECT_EQ(korvo::serverOpen, 0);
    EXPECT_FALSE(korvo::serverThreadActive);
    EXPECT_EQ(ui::messageBoxes(),
              (std::vector<std::string>{"Error|Can not create the network server."}));
    EXPECT_EQ(ui::serverStatusText(), "");
    platform::releaseServer(holder);

    // Out of range, with message boxes suppressed.
    korvo::settings.serverPort = 70000;
    korvo::settings.suppressMessages = 1;
    std::thread outOfRange([this] { result_ = korvo::runServer(); });
    outOfRange.join();
    EXPECT_EQ(result_, 1);
    EXPECT_EQ(ui::messageBoxes().size(), 1u);
}

}  // namespace
}  // namespace testing_support
