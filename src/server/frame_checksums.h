// What a "crc32" is answered with. Each connection is told the checksum of the
// memory-route frame it was sent last: with several clients, the frame prepared last is
// mostly another client's, and a client whose checksum does not match throws its frame
// away. A connection that has had no such frame yet is told lastFrameCrc, the checksum of
// the frame prepared last for anybody. For a single client the two are the same.
// Server thread only.
#pragma once

#include <cstdint>

namespace korvo {

void noteFrameChecksum(int connection, uint32_t crc);
uint32_t checksumFor(int connection);

// The connection is gone.
void forgetFrameChecksum(int connection);
void forgetAllFrameChecksums();

}  // namespace korvo
