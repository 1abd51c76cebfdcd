// Arbitrary bytes from a server, taken as the client's receive thread takes them: turn
// after turn until nothing is left. Nothing may crash, hang, write outside frameBuffer
// or keep more of a file than the client holds. The first byte chooses where the frame
// being assembled stands, whether the client thread waits and whether it awaits a frame,
// so that the end of frameBuffer, the idle release and the dropping of frames nobody
// awaits are reached with short inputs. The connection is held
// in memory (all bytes sent, then closed, as TCP would deliver them) and pauses take no
// time, so a run costs only the receive path itself.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/clock.h"
#include "platform/fake/fake_host.h"
#include "platform/net.h"
#include "platform/sync.h"
#include "protocol/wire.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "viewer/frame_buffer_owner.h"
#include "viewer/receive_limits.h"
#include "viewer/receive_loop.h"
#include "viewer/viewer_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 65536)
        return 0;
    if (korvo::clientSemaphore == nullptr) {
        // One file per process, so that fuzzers running side by side keep apart.
        korvo::tempFramePath = "/tmp/korvo-fuzz-received-frame-" + std::to_string(::getpid());
        korvo::clientSemaphore = platform::createSemaphore(0);
    }
    korvo::ReceiveState state;
    const bool awaited = (data[0] & 4) != 0;
    if (awaited)
        korvo::lendFrameBuffer();
    else
        korvo::takeFrameBufferBack();
    if (data[0] & 1) {
        state.frameTotal = korvo::kFrameDataCapacity - data[0];
        state.frameKept = awaited;
        state.frameStartMs = platform::monotonicMs();
    }
    korvo::clientWaiting = (data[0] & 2) ? 1 : 0;
    ++data;
    --size;

    const int connection = platform::fake::openHeldConnection(data, size);
    for (size_t turn = 0; turn <= size && platform::pendingBytes(connection) > 0; ++turn)
        korvo::receiveOnce(connection, state);

    if (korvo::loadLittleEndian32(korvo::frameBuffer) > korvo::kFrameDataCapacity ||
        state.frameTotal > korvo::kFrameDataCapacity)
        std::abort();
    std::error_code ignored;
    if (std::filesystem::exists(korvo::tempFramePath, ignored) &&
        std::filesystem::file_size(korvo::tempFramePath, ignored) > korvo::kLargestFileFrame)
        std::abort();
    std::filesystem::remove(korvo::tempFramePath, ignored);
    while (platform::tryWaitSemaphore(korvo::clientSemaphore)) {
    }
    platform::fake::clearInjectedCalls();
    platform::releaseConnection(connection);
    return 0;
}
