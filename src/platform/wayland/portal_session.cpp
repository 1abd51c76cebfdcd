#include "platform/wayland/portal_session.h"

#include <gio/gunixfdlist.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "platform/wayland/bus_calls.h"
#include "platform/wayland/pipewire_frames.h"
#include "platform/wayland/portal_token.h"

namespace platform::wayland {
namespace {

constexpr const char* kWho = "desktop portal";
constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kRemoteDesktop = "org.freedesktop.portal.RemoteDesktop";
constexpr const char* kScreenCast = "org.freedesktop.portal.ScreenCast";
// Device and source types, and the cursor painted into the frames.
constexpr uint32_t kKeyboardAndPointer = 1 | 2;
constexpr uint32_t kMonitor = 1;
constexpr uint32_t kCursorEmbedded = 2;
// Kept until revoked: the portal gives a restore token to pass at the next start.
constexpr uint32_t kPersistUntilRevoked = 2;
constexpr uint32_t kFirstPersistingVersion = 2;

// Written by the session's thread; read by the threads that send input.
struct Portal {
    std::mutex mutex;
    GDBusConnection* connection = nullptr;
    std::string session;  // empty until the session is started
    uint32_t stream = 0;
};

Portal portal;

// Owned by the session's thread: the request whose Response comes next, and what to do
// with its results.
GDBusConnection* bus = nullptr;
GMainContext* sessionContext = nullptr;
std::string sessionPath;
std::string awaitedRequest;
void (*nextStep)(GVariant* results) = nullptr;
unsigned tokenCount = 0;
// Where the restore token is kept, set before the thread starts; whether this portal
// gives one, and the one to pass.
std::string tokenFolder;
bool portalPersists = false;
std::string restoreToken;

std::string requestPathFor(const std::string& token) {
    std::string sender = g_dbus_connection_get_unique_name(bus) + 1;  // without the ':'
    for (char& c : sender)
        c = c == '.' ? '_' : c;
    return std::string(kPortalPath) + "/request/" + sender + "/" + token;
}

// What a request names before its options.
enum class Before { Nothing, Session, SessionAndWindow };

// Asks the portal; `then` gets the results of the Response when it is a yes.
void ask(const char* interface, const char* method, Before before,
         void (*fillOptions)(GVariantBuilder& options), void (*then)(GVariant*)) {
    std::string token = "korvo" + std::to_string(++tokenCount);
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    if (fillOptions != nullptr)
        fillOptions(options);
    GVariant* parameters = nullptr;
    if (before == Before::Nothing)
        parameters = g_variant_new("(a{sv})", &options);
    else if (before == Before::Session)
        parameters = g_variant_new("(oa{sv})", sessionPath.c_str(), &options);
    else  // no parent window: the dialog stands on its own
        parameters = g_variant_new("(osa{sv})", sessionPath.c_str(), "", &options);
    awaitedRequest = requestPathFor(token);
    nextStep = then;
    GVariant* reply =
        callAndWait(bus, kWho, kPortal, kPortalPath, interface, method, parameters, "(o)");
    if (reply == nullptr)
        nextStep = nullptr;
    else
        g_variant_unref(reply);
}

void onResponse(GDBusConnection*, const char*, const char* path, const char*, const char*,
                GVariant* parameters, gpointer) {
    if (awaitedRequest != path || nextStep == nullptr)
        return;
    uint32_t response = 0;
    GVariant* results = nullptr;
    g_variant_get(parameters, "(u@a{sv})", &response, &results);
    auto step = nextStep;
    nextStep = nullptr;
    if (response == 0)
        step(results);
    else
        reportOnBus(kWho,
                    response == 1 ? "the dialog was refused or closed; frames stay black"
                                  : "the request ended; frames stay black",
                    nullptr);
    g_variant_unref(results);
}

void onClosed(GDBusConnection*, const char*, const char*, const char*, const char*, GVariant*,
              gpointer) {
    reportOnBus(kWho, "the session was closed; frames stay black", nullptr);
    {
        std::lock_guard lock(portal.mutex);
        portal.session.clear();
    }
    stopFrames();
}

// The PipeWire remote the portal opened for this session: a descriptor, passed as one.
int openPipeWireRemote() {
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    GUnixFDList* descriptors = nullptr;
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_with_unix_fd_list_sync(
        bus, kPortal, kPortalPath, kScreenCast, "OpenPipeWireRemote",
        g_variant_new("(oa{sv})", sessionPath.c_str(), &options), G_VARIANT_TYPE("(h)"),
        G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &descriptors, nullptr, &error);
    int fd = -1;
    if (reply != nullptr && descriptors != nullptr) {
        int32_t index = 0;
        g_variant_get(reply, "(h)", &index);
        fd = g_unix_fd_list_get(descriptors, index, &error);
    }
    if (fd < 0)
        reportOnBus(kWho, "no PipeWire remote", error);
    if (reply != nullptr)
        g_variant_unref(reply);
    if (descriptors != nullptr)
        g_object_unref(descriptors);
    return fd;
}

void sendWarmUp();

void onStarted(GVariant* results) {
    GVariant* streams = g_variant_lookup_value(results, "streams", G_VARIANT_TYPE("a(ua{sv})"));
    uint32_t node = 0;
    bool haveStream = false;
    if (streams != nullptr && g_variant_n_children(streams) > 0) {
        GVariant* first = g_variant_get_child_value(streams, 0);
        g_variant_get_child(first, 0, "u", &node);
        g_variant_unref(first);
        haveStream = true;
    }
    if (streams != nullptr)
        g_variant_unref(streams);
    if (!haveStream) {
        reportOnBus(kWho, "no screen was shared; frames stay black", nullptr);
        return;
    }
    int fd = openPipeWireRemote();
    if (fd < 0 || !startFrames(node, fd)) {
        reportOnBus(kWho, "PipeWire cannot be reached", nullptr);
        return;
    }
    {
        std::lock_guard lock(portal.mutex);
        portal.session = sessionPath;
        portal.stream = node;
    }
    sendWarmUp();
    if (portalPersists) {
        // The token passed is spent: the next start needs the new one (none when the
        // portal would not keep the consent).
        const char* next = "";
        g_variant_lookup(results, "restore_token", "&s", &next);
        if (!keepPortalToken(tokenFolder, next))
            reportOnBus(kWho, "the consent could not be kept for the next start", nullptr);
    }
}

void onSourcesSelected(GVariant*) {
    ask(kRemoteDesktop, "Start", Before::SessionAndWindow, nullptr, onStarted);
}

// A number the portal publishes as a property; 0 when it does not say.
uint32_t portalNumber(const char* interface, const char* property) {
    GVariant* value = propertyValue(bus, kWho, kPortal, kPortalPath, interface, property);
    uint32_t number = 0;
    if (value != nullptr) {
        if (g_variant_is_of_type(value, G_VARIANT_TYPE_UINT32))
            number = g_variant_get_uint32(value);
        g_variant_unref(value);
    }
    return number;
}

// Painted in where the portal can; otherwise the frames go without a cursor.
uint32_t cursorMode = 0;

void onDevicesSelected(GVariant*) {
    cursorMode = (portalNumber(kScreenCast, "AvailableCursorModes") & kCursorEmbedded) != 0
                     ? kCursorEmbedded
                     : 0;
    if (cursorMode == 0)
        reportOnBus(kWho, "the portal cannot paint the cursor into the frames", nullptr);
    ask(
        kScreenCast, "SelectSources", Before::Session,
        [](GVariantBuilder& options) {
            g_variant_builder_add(&options, "{sv}", "types", g_variant_new_uint32(kMonitor));
            g_variant_builder_add(&options, "{sv}", "multiple", g_variant_new_boolean(FALSE));
            if (cursorMode != 0)
                g_variant_builder_add(&options, "{sv}", "cursor_mode",
                                      g_variant_new_uint32(cursorMode));
        },
        onSourcesSelected);
}

void onCreated(GVariant* results) {
    const char* handle = nullptr;
    if (!g_variant_lookup(results, "session_handle", "&s", &handle)) {
        reportOnBus(kWho, "no session was created", nullptr);
        return;
    }
    sessionPath = handle;
    g_dbus_connection_signal_subscribe(bus, kPortal, "org.freedesktop.portal.Session", "Closed",
                                       sessionPath.c_str(), nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                       onClosed, nullptr, nullptr);
    ask(
        kRemoteDesktop, "SelectDevices", Before::Session,
        [](GVariantBuilder& options) {
            g_variant_builder_add(&options, "{sv}", "types",
                                  g_variant_new_uint32(kKeyboardAndPointer));
            if (!portalPersists)
                return;
            g_variant_builder_add(&options, "{sv}", "persist_mode",
                                  g_variant_new_uint32(kPersistUntilRevoked));
            if (!restoreToken.empty())
                g_variant_builder_add(&options, "{sv}", "restore_token",
                                      g_variant_new_string(restoreToken.c_str()));
        },
        onDevicesSelected);
}

void runPortalThread() {
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    sessionContext = context;
    bus = connectSessionBus(kWho);
    if (bus == nullptr)
        return;
    {
        std::lock_guard lock(portal.mutex);
        portal.connection = bus;
    }
    // Older portals (version 1) ask at every start, as does a program with nowhere to keep
    // the token.
    portalPersists =
        !tokenFolder.empty() && portalNumber(kRemoteDesktop, "version") >= kFirstPersistingVersion;
    if (portalPersists)
        restoreToken = keptPortalToken(tokenFolder);
    g_dbus_connection_signal_subscribe(bus, kPortal, "org.freedesktop.portal.Request", "Response",
                                       nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onResponse,
                                       nullptr, nullptr);
    ask(
        kRemoteDesktop, "CreateSession", Before::Nothing,
        [](GVariantBuilder& options) {
            g_variant_builder_add(&options, "{sv}", "session_handle_token",
                                  g_variant_new_string("korvo"));
        },
        onCreated);
    GMainLoop* loop = g_main_loop_new(context, FALSE);
    g_main_loop_run(loop);
}

// The portal handles each call on a thread of its own, so calls sent back to back can
// overtake each other (a Shift released before the letter it was for). Input calls wait
// in this queue and go out one at a time, each after the answer to the one before, from
// the session's thread; the threads that send input only queue.
struct Pending {
    std::string method;
    GVariant* parameters = nullptr;
};
std::deque<Pending> pending;  // guarded by portal.mutex
bool callInFlight = false;    // guarded by portal.mutex
gboolean sendNext(gpointer);

void onNotified(GObject* connection, GAsyncResult* result, gpointer) {
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(connection), result, nullptr);
    if (reply != nullptr)
        g_variant_unref(reply);
    sendNext(nullptr);
}

gboolean sendNext(gpointer) {
    std::lock_guard lock(portal.mutex);
    callInFlight = !pending.empty();
    if (!callInFlight)
        return G_SOURCE_REMOVE;
    Pending next = pending.front();
    pending.pop_front();
    g_dbus_connection_call(portal.connection, kPortal, kPortalPath, kRemoteDesktop,
                           next.method.c_str(), next.parameters, nullptr, G_DBUS_CALL_FLAGS_NONE,
                           -1, nullptr, onNotified, nullptr);
    g_variant_unref(next.parameters);
    return G_SOURCE_REMOVE;
}

// One input call on the started session, queued: `tail` is the signature of the values
// after the session's path and its (empty) options.
template <typename... Values>
void notify(const char* method, const char* tail, Values... values) {
    {
        std::lock_guard lock(portal.mutex);
        if (portal.connection == nullptr || portal.session.empty())
            return;
        GVariantBuilder options;
        g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
        std::string signature = std::string("(oa{sv}") + tail + ")";
        GVariant* parameters =
            g_variant_new(signature.c_str(), portal.session.c_str(), &options, values...);
        pending.push_back({method, g_variant_ref_sink(parameters)});
        if (callInFlight)
            return;
        callInFlight = true;
    }
    // Runs at once on the session's own thread (the warm-up), else is handed to it.
    g_main_context_invoke(sessionContext, sendNext, nullptr);
}

void sendWarmUp() {
    // As on GNOME's interface: a move by nothing, Shift pressed and released.
    constexpr int32_t kShiftKeysym = 0xFFE1;
    notify("NotifyPointerMotion", "dd", 0.0, 0.0);
    notify("NotifyKeyboardKeysym", "iu", kShiftKeysym, 1u);
    notify("NotifyKeyboardKeysym", "iu", kShiftKeysym, 0u);
}

std::atomic<bool> threadStarted{false};

}  // namespace

void startPortalSession(const std::string& programFilesFolder) {
    static std::once_flag started;
    std::call_once(started, [&] {
        tokenFolder = programFilesFolder;
        threadStarted = true;
        std::thread(runPortalThread).detach();
    });
}

bool portalSessionStarted() {
    return threadStarted;
}

void portalPointerAt(double x, double y) {
    uint32_t stream = 0;
    {
        std::lock_guard lock(portal.mutex);
        stream = portal.stream;
    }
    notify("NotifyPointerMotionAbsolute", "udd", stream, x, y);
}

// The portal takes button and key states as numbers, after the session and options.
void portalButton(int32_t button, bool pressed) {
    notify("NotifyPointerButton", "iu", button, pressed ? 1u : 0u);
}

void portalKeysym(uint32_t keysym, bool pressed) {
    notify("NotifyKeyboardKeysym", "iu", static_cast<int32_t>(keysym), pressed ? 1u : 0u);
}

}  // namespace platform::wayland
