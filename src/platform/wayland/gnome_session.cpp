#include "platform/wayland/gnome_session.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "platform/wayland/bus_calls.h"
#include "platform/wayland/pipewire_frames.h"

namespace platform::wayland {
namespace {

constexpr const char* kRemoteDesktop = "org.gnome.Mutter.RemoteDesktop";
constexpr const char* kScreenCast = "org.gnome.Mutter.ScreenCast";
constexpr const char* kRemoteSession = "org.gnome.Mutter.RemoteDesktop.Session";
constexpr const char* kWho = "GNOME remote desktop";
// After a session closed while the compositor stays: a pause before the next try, so a
// compositor that keeps refusing is not asked in a busy loop.
constexpr unsigned kRetrySeconds = 2;
// cursor-mode: the compositor paints the cursor into the frames.
constexpr uint32_t kCursorEmbedded = 1;

// Written by the session's thread; read by the threads that send input.
struct Session {
    std::mutex mutex;
    GDBusConnection* connection = nullptr;
    std::string path;        // the remote-desktop session, empty while none is up
    std::string streamPath;  // the screen-cast stream, once PipeWire has its node
};

Session session;

// Owned by the session's thread.
GMainContext* context = nullptr;
guint closedSubscription = 0;
guint streamSubscription = 0;
guint retrySource = 0;
bool compositorPresent = false;
std::string pendingStreamPath;
std::string pendingSessionPath;

std::string sessionIdOf(GDBusConnection* connection, const std::string& sessionPath) {
    GVariant* value = propertyValue(connection, kWho, kRemoteDesktop, sessionPath.c_str(),
                                    kRemoteSession, "SessionId");
    std::string id;
    if (value != nullptr) {
        if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING))
            id = g_variant_get_string(value, nullptr);
        g_variant_unref(value);
    }
    return id;
}

void unsubscribe(GDBusConnection* connection) {
    if (closedSubscription != 0)
        g_dbus_connection_signal_unsubscribe(connection, closedSubscription);
    if (streamSubscription != 0)
        g_dbus_connection_signal_unsubscribe(connection, streamSubscription);
    closedSubscription = 0;
    streamSubscription = 0;
}

// Forgets the session: no more input goes out, frames turn black.
void dropSession(GDBusConnection* connection) {
    unsubscribe(connection);
    {
        std::lock_guard lock(session.mutex);
        session.path.clear();
        session.streamPath.clear();
    }
    pendingSessionPath.clear();
    pendingStreamPath.clear();
    stopFrames();
}

void sendWarmUp();

void onStreamAdded(GDBusConnection*, const char*, const char*, const char*, const char*,
                   GVariant* parameters, gpointer) {
    uint32_t node = 0;
    g_variant_get(parameters, "(u)", &node);
    if (!startFrames(node)) {
        reportOnBus(kWho, "PipeWire cannot be reached", nullptr);
        return;
    }
    {
        std::lock_guard lock(session.mutex);
        session.path = pendingSessionPath;
        session.streamPath = pendingStreamPath;
    }
    sendWarmUp();
}

void createSession(GDBusConnection* connection);

gboolean retryCreate(gpointer connection) {
    retrySource = 0;
    if (compositorPresent)
        createSession(static_cast<GDBusConnection*>(connection));
    return G_SOURCE_REMOVE;
}

void scheduleRetry(GDBusConnection* connection) {
    if (retrySource != 0 || !compositorPresent)
        return;
    GSource* source = g_timeout_source_new_seconds(kRetrySeconds);
    g_source_set_callback(source, retryCreate, connection, nullptr);
    retrySource = g_source_attach(source, context);
    g_source_unref(source);
}

void onSessionClosed(GDBusConnection* connection, const char*, const char*, const char*,
                     const char*, GVariant*, gpointer) {
    reportOnBus(kWho, "the session was closed", nullptr);
    dropSession(connection);
    scheduleRetry(connection);
}

void createSession(GDBusConnection* connection) {
    dropSession(connection);
    std::string sessionPath = objectPathOf(
        callAndWait(connection, kWho, kRemoteDesktop, "/org/gnome/Mutter/RemoteDesktop",
                    kRemoteDesktop, "CreateSession", nullptr, "(o)"));
    std::string sessionId = sessionPath.empty() ? "" : sessionIdOf(connection, sessionPath);
    std::string castPath;
    if (!sessionId.empty()) {
        GVariantBuilder properties;
        g_variant_builder_init(&properties, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&properties, "{sv}", "remote-desktop-session-id",
                              g_variant_new_string(sessionId.c_str()));
        castPath = objectPathOf(
            callAndWait(connection, kWho, kScreenCast, "/org/gnome/Mutter/ScreenCast", kScreenCast,
                        "CreateSession", g_variant_new("(a{sv})", &properties), "(o)"));
    }
    std::string streamPath;
    if (!castPath.empty()) {
        GVariantBuilder properties;
        g_variant_builder_init(&properties, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&properties, "{sv}", "cursor-mode",
                              g_variant_new_uint32(kCursorEmbedded));
        // The empty connector is the primary monitor.
        streamPath = objectPathOf(callAndWait(
            connection, kWho, kScreenCast, castPath.c_str(), "org.gnome.Mutter.ScreenCast.Session",
            "RecordMonitor", g_variant_new("(sa{sv})", "", &properties), "(o)"));
    }
    if (streamPath.empty()) {
        scheduleRetry(connection);
        return;
    }
    pendingSessionPath = sessionPath;
    pendingStreamPath = streamPath;
    streamSubscription = g_dbus_connection_signal_subscribe(
        connection, kScreenCast, "org.gnome.Mutter.ScreenCast.Stream", "PipeWireStreamAdded",
        streamPath.c_str(), nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onStreamAdded, nullptr, nullptr);
    closedSubscription = g_dbus_connection_signal_subscribe(
        connection, kRemoteDesktop, kRemoteSession, "Closed", sessionPath.c_str(), nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, onSessionClosed, nullptr, nullptr);
    GVariant* started = callAndWait(connection, kWho, kRemoteDesktop, sessionPath.c_str(),
                                    kRemoteSession, "Start", nullptr, nullptr);
    if (started == nullptr) {
        dropSession(connection);
        scheduleRetry(connection);
        return;
    }
    g_variant_unref(started);
}

void onCompositorAppeared(GDBusConnection* connection, const char*, const char*, gpointer) {
    compositorPresent = true;
    createSession(connection);
}

void onCompositorVanished(GDBusConnection* connection, const char*, gpointer) {
    if (compositorPresent)
        reportOnBus(kWho, "the compositor went away; frames are black until it is back", nullptr);
    compositorPresent = false;
    if (connection != nullptr)
        dropSession(connection);
}

void runSessionThread() {
    context = g_main_context_new();
    g_main_context_push_thread_default(context);
    GDBusConnection* connection = connectSessionBus(kWho);
    if (connection == nullptr)
        return;
    {
        std::lock_guard lock(session.mutex);
        session.connection = connection;
    }
    g_bus_watch_name_on_connection(connection, kRemoteDesktop, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                   onCompositorAppeared, onCompositorVanished, nullptr, nullptr);
    GMainLoop* loop = g_main_loop_new(context, FALSE);
    g_main_loop_run(loop);
}

void sendWarmUp() {
    // The virtual seat gets its pointer and keyboard with their first events, which can
    // be lost; these change nothing: a move by nothing, Shift pressed and released.
    constexpr uint32_t kShiftKeysym = 0xFFE1;
    notifySession("NotifyPointerMotionRelative", g_variant_new("(dd)", 0.0, 0.0));
    notifySession("NotifyKeyboardKeysym", g_variant_new("(ub)", kShiftKeysym, TRUE));
    notifySession("NotifyKeyboardKeysym", g_variant_new("(ub)", kShiftKeysym, FALSE));
}

std::atomic<bool> sessionThreadStarted{false};

}  // namespace

void startGnomeSession() {
    static std::once_flag started;
    std::call_once(started, [] {
        sessionThreadStarted = true;
        std::thread(runSessionThread).detach();
    });
}

bool gnomeSessionStarted() {
    return sessionThreadStarted;
}

void notifySession(const char* method, GVariant* parameters) {
    g_variant_ref_sink(parameters);
    std::lock_guard lock(session.mutex);
    if (session.connection != nullptr && !session.path.empty())
        g_dbus_connection_call(session.connection, kRemoteDesktop, session.path.c_str(),
                               kRemoteSession, method, parameters, nullptr,
                               G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, nullptr, nullptr, nullptr);
    g_variant_unref(parameters);
}

void notifyPointerAt(double x, double y) {
    std::string stream;
    {
        std::lock_guard lock(session.mutex);
        stream = session.streamPath;
    }
    if (!stream.empty())
        notifySession("NotifyPointerMotionAbsolute", g_variant_new("(sdd)", stream.c_str(), x, y));
}

}  // namespace platform::wayland
