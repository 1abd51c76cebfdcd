#include "viewer/client_counters.h"

namespace korvo {

bool ageHeldCopy(ClientRun& run) {
    ++run.copyAge;
    if (run.copyAge <= kHeldCopyCycles)
        return false;
    run.requestKeyword = kKeywordImag2;
    run.copyAge = 0;
    return true;
}

void checkKeepAlive(ClientRun& run, bool echoSeen) {
    if (echoSeen) {
        run.failedFrames = 0;
        run.missedKeepAlives = 0;
        return;
    }
    if (++run.missedKeepAlives > kMissedKeepAliveLimit) {
        run.giveUp = true;
        run.missedKeepAlives = 0;
    }
}

void countUsableFrame(ClientRun& run) {
    run.failedFrames = 0;
    run.missedKeepAlives = 0;
}

void countFailedFrame(ClientRun& run) {
    ++run.failedFrames;
    if (run.failedFrames <= kFailedFramesBeforeFallback)
        return;
    if (!run.fallbackDone) {
        run.requestKeyword = kKeywordImag2;
        run.fallbackDone = true;
        run.failedFrames = 0;
    } else if (run.failedFrames > kFailedFramesBeforeGivingUp) {
        run.giveUp = true;
        run.failedFrames = 0;
    }
}

}  // namespace korvo
