#include "platform/wayland/bus_calls.h"

#include <cstdio>

namespace platform::wayland {
namespace {

constexpr int kCallTimeoutMs = 5000;

}  // namespace

void reportOnBus(const char* who, const char* what, GError* error) {
    std::fprintf(stderr, "korvo: %s: %s%s%s\n", who, what, error ? ": " : "",
                 error ? error->message : "");
    g_clear_error(&error);
}

GDBusConnection* connectSessionBus(const char* who) {
    GError* error = nullptr;
    char* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    GDBusConnection* connection = nullptr;
    if (address != nullptr)
        connection = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
    g_free(address);
    if (connection == nullptr) {
        reportOnBus(who, "no session bus", error);
        return nullptr;
    }
    // Our calls go out while the connection lives; the process ends without closing it.
    g_dbus_connection_set_exit_on_close(connection, FALSE);
    return connection;
}

GVariant* callAndWait(GDBusConnection* connection, const char* who, const char* service,
                      const char* path, const char* interface, const char* method,
                      GVariant* parameters, const char* replyType) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        connection, service, path, interface, method, parameters,
        replyType ? G_VARIANT_TYPE(replyType) : nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START,
        kCallTimeoutMs, nullptr, &error);
    if (reply == nullptr)
        reportOnBus(who, method, error);
    return reply;
}

GVariant* propertyValue(GDBusConnection* connection, const char* who, const char* service,
                        const char* path, const char* interface, const char* property) {
    GVariant* reply = callAndWait(connection, who, service, path, "org.freedesktop.DBus.Properties",
                                  "Get", g_variant_new("(ss)", interface, property), "(v)");
    if (reply == nullptr)
        return nullptr;
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    g_variant_unref(reply);
    return value;
}

std::string objectPathOf(GVariant* reply) {
    std::string path;
    if (reply != nullptr) {
        const char* text = nullptr;
        g_variant_get(reply, "(&o)", &text);
        path = text;
        g_variant_unref(reply);
    }
    return path;
}

}  // namespace platform::wayland
