#include "platform/wayland/pipewire_frames.h"

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>

#include <unistd.h>

#include <cstring>
#include <mutex>

#include "platform/wayland/frame_store.h"
#include "platform/wayland/stream_params.h"

namespace platform::wayland {
namespace {

// Everything below is created once and then used only with the thread loop's lock held
// (PipeWire's own callbacks run with it held).
struct Pipe {
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook listener{};
    spa_video_info_raw format{};
    pw_buffer* newest = nullptr;  // held out of the stream until a newer one comes
};

Pipe pipe;
std::mutex startMutex;

// Byte order of a pixel as the stream delivers it.
enum class PixelOrder { Bgrx, Rgbx };

bool pixelOrderOf(spa_video_format format, PixelOrder& order) {
    switch (format) {
        case SPA_VIDEO_FORMAT_BGRx:
        case SPA_VIDEO_FORMAT_BGRA:
            order = PixelOrder::Bgrx;
            return true;
        case SPA_VIDEO_FORMAT_RGBx:
        case SPA_VIDEO_FORMAT_RGBA:
            order = PixelOrder::Rgbx;
            return true;
        default:
            return false;
    }
}

void onParamChanged(void*, uint32_t id, const spa_pod* param) {
    if (id != SPA_PARAM_Format || param == nullptr)
        return;
    spa_video_info_raw format{};
    if (spa_format_video_raw_parse(param, &format) < 0)
        return;
    pipe.format = format;
    // A buffer of the old format is not read with the new one's size.
    if (pipe.newest != nullptr) {
        pw_stream_queue_buffer(pipe.stream, pipe.newest);
        pipe.newest = nullptr;
    }
    noteStreamSize(static_cast<int>(format.size.width), static_cast<int>(format.size.height));
    uint8_t space[256];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(space, sizeof space);
    const spa_pod* buffers = korvoMappableBuffers(&builder);
    pw_stream_update_params(pipe.stream, &buffers, 1);
}

// Checks the buffer's plane against its size before anything is read from it.
bool planeUsable(const spa_data& data, int width, int height, size_t& stride,
                 const uint8_t*& pixels) {
    if (data.data == nullptr || data.chunk == nullptr || width <= 0 || height <= 0)
        return false;
    if ((data.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) != 0 || data.chunk->size == 0)
        return false;
    size_t rowBytes = static_cast<size_t>(width) * 4;
    stride = data.chunk->stride > 0 ? static_cast<size_t>(data.chunk->stride) : rowBytes;
    if (data.maxsize == 0)
        return false;
    // The chunk's offset counts modulo the plane's size, as PipeWire defines it.
    size_t offset = data.chunk->offset % data.maxsize;
    size_t needed = offset + stride * static_cast<size_t>(height - 1) + rowBytes;
    if (stride < rowBytes || needed > data.maxsize)
        return false;
    pixels = static_cast<const uint8_t*>(data.data) + offset;
    return true;
}

bool newestPlane(int& width, int& height, size_t& stride, const uint8_t*& pixels) {
    if (pipe.newest == nullptr || pipe.newest->buffer->n_datas == 0)
        return false;
    width = static_cast<int>(pipe.format.size.width);
    height = static_cast<int>(pipe.format.size.height);
    return planeUsable(pipe.newest->buffer->datas[0], width, height, stride, pixels);
}

void onProcess(void*) {
    // Only the newest buffer is of use; older ones go straight back.
    pw_buffer* newest = nullptr;
    while (pw_buffer* next = pw_stream_dequeue_buffer(pipe.stream)) {
        if (newest != nullptr)
            pw_stream_queue_buffer(pipe.stream, newest);
        newest = next;
    }
    if (newest == nullptr)
        return;
    pw_buffer* previous = pipe.newest;
    pipe.newest = newest;
    int width = 0;
    int height = 0;
    size_t stride = 0;
    const uint8_t* pixels = nullptr;
    PixelOrder order;
    if (newestPlane(width, height, stride, pixels) && pixelOrderOf(pipe.format.format, order)) {
        if (previous != nullptr)
            pw_stream_queue_buffer(pipe.stream, previous);
        noteNewFrame();
    } else {
        // A buffer without a picture (a cursor-only update, a damaged one): the one
        // before stays the newest.
        pipe.newest = previous;
        pw_stream_queue_buffer(pipe.stream, newest);
    }
}

void onStateChanged(void*, pw_stream_state, pw_stream_state state, const char*) {
    if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED)
        noteStreamLost();
}

const pw_stream_events streamEvents = [] {
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = onStateChanged;
    events.param_changed = onParamChanged;
    events.process = onProcess;
    return events;
}();

// The thread loop and its context, made once for the life of the process.
bool startLoop() {
    if (pipe.loop != nullptr)
        return pipe.context != nullptr;
    pw_init(nullptr, nullptr);
    pipe.loop = pw_thread_loop_new("korvo-frames", nullptr);
    if (pipe.loop == nullptr)
        return false;
    if (pw_thread_loop_start(pipe.loop) != 0)
        return false;
    pw_thread_loop_lock(pipe.loop);
    pipe.context = pw_context_new(pw_thread_loop_get_loop(pipe.loop), nullptr, 0);
    pw_thread_loop_unlock(pipe.loop);
    return pipe.context != nullptr;
}

void destroyStream() {
    if (pipe.stream == nullptr)
        return;
    pipe.newest = nullptr;  // the stream's buffers go with it
    spa_hook_remove(&pipe.listener);
    pw_stream_destroy(pipe.stream);
    pipe.stream = nullptr;
}

}  // namespace

bool startFrames(uint32_t nodeId, int remote) {
    std::lock_guard guard(startMutex);
    if (!startLoop()) {
        if (remote >= 0)
            ::close(remote);
        return false;
    }
    pw_thread_loop_lock(pipe.loop);
    destroyStream();
    if (remote >= 0) {
        if (pipe.core != nullptr)
            pw_core_disconnect(pipe.core);
        pipe.core = pw_context_connect_fd(pipe.context, remote, nullptr, 0);
    } else if (pipe.core == nullptr) {
        pipe.core = pw_context_connect(pipe.context, nullptr, 0);
    }
    if (pipe.core == nullptr) {
        pw_thread_loop_unlock(pipe.loop);
        return false;
    }
    pipe.stream = pw_stream_new(pipe.core, "korvo",
                                pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                                  "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    bool started = false;
    if (pipe.stream != nullptr) {
        pw_stream_add_listener(pipe.stream, &pipe.listener, &streamEvents, nullptr);
        uint8_t space[1024];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(space, sizeof space);
        const spa_pod* formats = korvoVideoFormats(&builder);
        started = pw_stream_connect(pipe.stream, PW_DIRECTION_INPUT, nodeId,
                                    static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT |
                                                                 PW_STREAM_FLAG_MAP_BUFFERS),
                                    &formats, 1) == 0;
        if (!started)
            destroyStream();
    }
    pw_thread_loop_unlock(pipe.loop);
    return started;
}

void stopFrames() {
    std::lock_guard guard(startMutex);
    if (pipe.loop != nullptr) {
        pw_thread_loop_lock(pipe.loop);
        destroyStream();
        pw_thread_loop_unlock(pipe.loop);
    }
    noteStreamLost();
}

bool copyNewestFrame(std::vector<uint8_t>& pixels, int& width, int& height) {
    std::lock_guard guard(startMutex);
    if (pipe.loop == nullptr)
        return false;
    pw_thread_loop_lock(pipe.loop);
    size_t stride = 0;
    const uint8_t* from = nullptr;
    PixelOrder order;
    bool have = newestPlane(width, height, stride, from) && pixelOrderOf(pipe.format.format, order);
    if (have) {
        size_t rowBytes = static_cast<size_t>(width) * 4;
        pixels.resize(rowBytes * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y) {
            uint8_t* to = pixels.data() + rowBytes * static_cast<size_t>(y);
            const uint8_t* row = from + stride * static_cast<size_t>(y);
            if (order == PixelOrder::Bgrx) {
                std::memcpy(to, row, rowBytes);
                continue;
            }
            for (int x = 0; x < width; ++x, to += 4, row += 4) {
                to[0] = row[2];
                to[1] = row[1];
                to[2] = row[0];
                to[3] = row[3];
            }
        }
    }
    pw_thread_loop_unlock(pipe.loop);
    return have;
}

}  // namespace platform::wayland
