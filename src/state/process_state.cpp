#include "state/process_state.h"

namespace korvo {

uint8_t serverWorkArea[kWorkAreaSize];
uint8_t clientWorkArea[kWorkAreaSize];
uint8_t frameBuffer[kFrameBufferSize];

std::atomic<int> exitRequested{0};
std::atomic<int> stopServerRequested{0};
std::atomic<int> stopClientRequested{0};
std::atomic<int> serverOpen{0};
std::atomic<int> framesViaPipe{0};
std::atomic<int> clientConnection{0};

std::string tempFramePath;

}  // namespace korvo
