#include "protocol/server_replies.h"

#include <algorithm>
#include <cstring>

namespace korvo {

ServerReply decodeReplyTag(uint8_t tag) {
    switch (tag) {
        case kTagFrameChunk:
            return ServerReply::FrameChunk;
        case kTagLoginResult:
            return ServerReply::LoginResult;
        case kTagReady:
            return ServerReply::Ready;
        case kTagChecksum:
            return ServerReply::Checksum;
        case kTagAliveEcho:
            return ServerReply::AliveEcho;
        default:
            return ServerReply::Unknown;
    }
}

size_t replyBodyLength(ServerReply reply) {
    switch (reply) {
        case ServerReply::FrameChunk:
            return kChunkPayload;
        case ServerReply::LoginResult:
            return 1;
        case ServerReply::Checksum:
            return kChecksumReplyLength - 1;
        case ServerReply::AliveEcho:
            return kAliveEchoRest.size();
        case ServerReply::Ready:
        case ServerReply::Unknown:
            return 0;
    }
    return 0;
}

PendingReply classifyPending(size_t pendingCount, const uint8_t* peeked, size_t peekedCount) {
    if (pendingCount == 0 || peekedCount == 0)
        return PendingReply::None;
    if (startsWithFileMagic(peeked, peekedCount))
        return PendingReply::File;
    // A transfer's first bytes may arrive before the rest of its magic; taken one by one
    // as tags they would throw the whole stream out of step.
    const size_t seen = std::min(peekedCount, pendingCount);
    if (seen < kFileMagic.size() && std::memcmp(peeked, kFileMagic.data(), seen) == 0)
        return PendingReply::Incomplete;
    return PendingReply::Tagged;
}

}  // namespace korvo
