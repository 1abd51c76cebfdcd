// The server's replies as the client reads them: what a tag announces and how many bytes
// follow it, and how the first bytes waiting on the connection tell a whole-file transfer
// from a tagged reply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "protocol/wire.h"

namespace korvo {

enum class ServerReply { Unknown, FrameChunk, LoginResult, Ready, Checksum, AliveEcho };

ServerReply decodeReplyTag(uint8_t tag);

// The bytes that follow the tag: fixed for every reply but a frame chunk, which carries
// 1 to kChunkPayload of them (this gives the most). 0 for an unknown tag, whose byte is
// dropped on its own.
size_t replyBodyLength(ServerReply reply);

// What follows the "a" of the keep-alive echo "alive".
inline constexpr std::string_view kAliveEchoRest = "live";

// What the bytes waiting on the connection begin.
enum class PendingReply {
    None,        // nothing waits
    Incomplete,  // fewer bytes than the whole-file magic, all of them its start: wait for more
    File,        // the whole-file magic: a whole-file transfer
    Tagged,      // anything else: one tag byte starts a reply
};

// From the count of bytes waiting and the first of them (up to kFileMagic.size()),
// peeked without taking them.
PendingReply classifyPending(size_t pendingCount, const uint8_t* peeked, size_t peekedCount);

}  // namespace korvo
