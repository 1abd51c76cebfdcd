// Where the client keeps the replies in clientWorkArea, beside the pending input of
// protocol/input_event.h, and how its threads reach those bytes. The receive thread, the
// client thread and the GUI thread each write some of them without a lock, so every byte
// that crosses threads is read and written whole through these helpers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo {

// The value byte of the login reply; it shares its place with the first byte of pointerX.
inline constexpr size_t kLoginResultOffset = 0;
// The four bytes that follow the "a" of the keep-alive echo.
inline constexpr size_t kKeepAliveReplyOffset = 1300;
// The four bytes of the checksum reply.
inline constexpr size_t kCrcReplyOffset = 1750;
// The tag byte of the reply being read.
inline constexpr size_t kReplyTagOffset = 2500;

uint8_t loadClientByte(size_t offset);
void storeClientByte(size_t offset, uint8_t value);
void loadClientBytes(size_t offset, uint8_t* out, size_t count);
void storeClientBytes(size_t offset, const uint8_t* bytes, size_t count);
void zeroClientBytes(size_t offset, size_t count);

}  // namespace korvo
