// What the session bus offers, asked once at start on a short connection of its own.
#include <gio/gio.h>

#include "platform/wayland/desktop.h"

namespace platform::wayland {
namespace {

constexpr int kAskTimeoutMs = 2000;

GDBusConnection* openBus() {
    char* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (address == nullptr)
        return nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    g_free(address);
    return connection;
}

GVariant* askBus(GDBusConnection* connection, const char* method, GVariant* parameters,
                 const char* replyType) {
    return g_dbus_connection_call_sync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", method, parameters,
                                       G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE,
                                       kAskTimeoutMs, nullptr, nullptr);
}

bool nameOwned(GDBusConnection* connection, const char* name) {
    GVariant* reply = askBus(connection, "NameHasOwner", g_variant_new("(s)", name), "(b)");
    gboolean owned = FALSE;
    if (reply != nullptr) {
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
    }
    return owned == TRUE;
}

bool nameActivatable(GDBusConnection* connection, const char* name) {
    GVariant* reply = askBus(connection, "ListActivatableNames", nullptr, "(as)");
    bool found = false;
    if (reply != nullptr) {
        GVariantIter* names = nullptr;
        g_variant_get(reply, "(as)", &names);
        const char* each = nullptr;
        while (!found && g_variant_iter_next(names, "&s", &each))
            found = g_strcmp0(each, name) == 0;
        g_variant_iter_free(names);
        g_variant_unref(reply);
    }
    return found;
}

template <typename Question>
bool askSessionBus(Question question) {
    GDBusConnection* connection = openBus();
    if (connection == nullptr)
        return false;
    bool answer = question(connection);
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    g_object_unref(connection);
    return answer;
}

}  // namespace

bool gnomeInterfacesOffered() {
    return askSessionBus([](GDBusConnection* connection) {
        return nameOwned(connection, "org.gnome.Mutter.RemoteDesktop") &&
               nameOwned(connection, "org.gnome.Mutter.ScreenCast");
    });
}

bool portalOffered() {
    return askSessionBus([](GDBusConnection* connection) {
        constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
        return nameOwned(connection, kPortal) || nameActivatable(connection, kPortal);
    });
}

}  // namespace platform::wayland
