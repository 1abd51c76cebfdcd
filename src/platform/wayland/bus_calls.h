// What both remote-desktop routes do on the session bus: connect on a thread of their
// own, call and wait, and say what failed on standard error.
#pragma once

#include <gio/gio.h>

#include <string>

namespace platform::wayland {

// Says `what` (and the error's message, which it frees) on standard error, after `who`.
void reportOnBus(const char* who, const char* what, GError* error);

// A private connection to the session bus; null (reported) when there is none.
GDBusConnection* connectSessionBus(const char* who);

// One call, waited for up to five seconds; null on failure (reported). `replyType` null
// takes any reply.
GVariant* callAndWait(GDBusConnection* connection, const char* who, const char* service,
                      const char* path, const char* interface, const char* method,
                      GVariant* parameters, const char* replyType);

// The value of an object's property, unwrapped from its variant; null on failure
// (reported). The caller frees it.
GVariant* propertyValue(GDBusConnection* connection, const char* who, const char* service,
                        const char* path, const char* interface, const char* property);

// The object path of an "(o)" reply, which it frees; empty for a null reply.
std::string objectPathOf(GVariant* reply);

}  // namespace platform::wayland
