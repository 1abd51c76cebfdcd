// The client's end of a whole-file transfer.
#pragma once

#include <string>

namespace korvo {

// Takes one whole-file transfer off the connection into a new file at path (replacing
// what was there): the 12-byte header, then the announced number of bytes, read as they
// arrive. Never takes more than the announced size. A size beyond kLargestFileFrame is
// refused: the bytes are read and dropped so that the stream stays in step, and the file
// stays empty. Gives up when kReplyStallLimitMs pass without a byte, when the announced
// size has not come by its frame deadline (frameDeadlineMs), when the connection ends,
// or when the calling thread is terminated; what was written stays.
void receiveFile(int connection, const std::string& path);

}  // namespace korvo
