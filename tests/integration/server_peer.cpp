// The real server thread in a process of its own, with the fake screen, the recording
// injector and the headless UI behind it, for tests of the client against it. (The two
// roles share frameBuffer and the temporary frame file, so they cannot run in one
// process.) It takes one command a line on stdin and answers on stdout:
//   screen W H SEED  the desktop becomes W by H pixels of a pattern made from SEED  -> ok
//   desktop W H      the desktop becomes a desktop-like picture of W by H pixels     -> ok
//   pipe 0|1         framesViaPipe                                                   -> ok
//   login U P        the server's username and password                              -> ok
//   limit N          the client limit                                                -> ok
//   start            starts the server thread                                        -> port N
//   calls            the injector's calls so far, one a line                         -> ... end
//   captures         the frames captured so far                                      -> N
//   clients          the rows of the client table                                    -> N
//   watch N          waits (up to 3 s) until the injector has more than N calls; when
//                    it saw that, in microseconds of the monotonic clock             -> T
//   quit             stops the server and ends
#include <chrono>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/fake/fake_host.h"
#include "platform/fake/fake_ui.h"
#include "platform/net.h"
#include "server/client_table.h"
#include "server/server_thread.h"
#include "settings/settings.h"
#include "state/main_window_ids.h"
#include "state/process_state.h"
#include "support/desktop_picture.h"
#include "support/temp_dir.h"
#include "texts/texts.h"

namespace {

// BGRX rows with detail, so that frames are not trivially small and two seeds differ.
std::vector<uint8_t> pattern(int width, int height, unsigned seed) {
    std::vector<uint8_t> rows(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<uint8_t>((i * 37 + seed * 101) ^ (i >> 9));
    return rows;
}

// Looks at the injector every 100 microseconds.
long long watchInjector(size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (platform::fake::injectedCalls().size() <= count &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void buildServerWindow() {
    platform::fake_ui::reset();
    platform::openWindow(korvo::kMainWindowId, {0, 0, 700, 525}, "Korvo", 0, 0);
    platform::createControl(korvo::kMainWindowId, korvo::mainControl::kClientsList,
                            platform::ControlKind::ListView, {0, 0, 480, 300}, "", 0);
    platform::createStatusBar(korvo::kMainWindowId, {20, 200, 20, 200});
}

}  // namespace

int main() {
    testing_support::TempDir temp;
    korvo::tempFramePath = temp.file("frame.tmp");
    korvo::texts = korvo::buildTextTable("english");
    korvo::settings = korvo::Settings{};
    korvo::settings.serverUser = "anna";
    korvo::settings.serverPassword = "secret";
    korvo::settings.serverPort = 0;
    korvo::settings.serverMaxClients = 10;
    korvo::settings.allowMouse = 1;
    korvo::settings.allowKeyboard = 1;
    korvo::settings.imageQuality = 5;
    platform::fake::scriptScreen(platform::fake::desktopScript(320, 240, pattern(320, 240, 1)));
    buildServerWindow();

    bool started = false;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream command(line);
        std::string word;
        command >> word;
        if (word == "screen") {
            int width = 0, height = 0;
            unsigned seed = 0;
            command >> width >> height >> seed;
            platform::fake::scriptScreen(
                platform::fake::desktopScript(width, height, pattern(width, height, seed)));
            std::cout << "ok" << std::endl;
        } else if (word == "desktop") {
            int width = 0, height = 0;
            command >> width >> height;
            platform::fake::scriptScreen(platform::fake::desktopScript(
                width, height, testing_support::desktopPicture(width, height)));
            std::cout << "ok" << std::endl;
        } else if (word == "watch") {
            size_t count = 0;
            command >> count;
            std::cout << watchInjector(count) << std::endl;
        } else if (word == "pipe") {
            int on = 0;
            command >> on;
            korvo::framesViaPipe = on;
            std::cout << "ok" << std::endl;
        } else if (word == "login") {
            command >> korvo::settings.serverUser >> korvo::settings.serverPassword;
            std::cout << "ok" << std::endl;
        } else if (word == "limit") {
            command >> korvo::settings.serverMaxClients;
            std::cout << "ok" << std::endl;
        } else if (word == "start") {
            started = korvo::startServerThread() != nullptr;
            while (started && korvo::listeningServer == 0 && korvo::serverThreadActive)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::cout << "port " << platform::serverPort(korvo::listeningServer) << std::endl;
        } else if (word == "calls") {
            for (const std::string& call : platform::fake::injectedCalls())
                std::cout << call << "\n";
            std::cout << "end" << std::endl;
        } else if (word == "captures") {
            std::cout << platform::fake::captureCount() << std::endl;
        } else if (word == "clients") {
            std::cout << korvo::clientSlotsSnapshot().size() << std::endl;
        } else if (word == "quit") {
            break;
        }
    }
    if (started) {
        korvo::closeServer();
        korvo::stopServerRequested = 1;
        for (int i = 0; i < 400 && korvo::serverThreadActive; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}
