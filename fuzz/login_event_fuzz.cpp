// The two records a stranger can fill: the 256 bytes of a login body and the 20 bytes of
// an event body, taken from the input in that order (missing bytes read as zero, as after
// a short read). Decoding the login, the check against the stored login, and placing and
// playing the event on the recording injector must not crash, hang or touch memory
// outside their places, and no decoded field may be longer than its place.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/input_injection.h"
#include "platform/fake/fake_host.h"
#include "protocol/wire.h"
#include "server/login.h"
#include "settings/settings.h"
#include "state/process_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvo;
    static bool ready = false;
    if (!ready) {
        settings.serverUser = "anna";
        settings.serverPassword = "secret";
        settings.allowMouse = 1;
        settings.allowKeyboard = 1;
        platform::fake::scriptScreen(platform::fake::desktopScript(16, 16));
        ready = true;
    }
    uint8_t login[kLoginBodyLength] = {};
    std::memcpy(login, data, std::min(size, sizeof login));
    LoginFields fields = decodeLoginBody(login);
    if (fields.username.size() > kLoginFieldLength || fields.password.size() > kLoginFieldLength)
        std::abort();
    credentialsMatch(fields.username, fields.password);

    std::memset(serverWorkArea, 0, kEventBodyLength);
    if (size > sizeof login)
        std::memcpy(serverWorkArea, data + sizeof login,
                    std::min(size - sizeof login, kEventBodyLength));
    applyInputEvent();
    platform::fake::clearInjectedCalls();
    return 0;
}
