#pragma once
#include <cstdint>

#include "core/error_code.h"

// One period's work of the render thread, apart from the system: how much of
// the device buffer is free, what the source gives for it, and how it is
// handed back. The WASAPI output reaches its IAudioClient and
// IAudioRenderClient through these functions; the tests through stand-ins.

struct RenderDevice {
    void* context;
    // Frames queued and not yet played.
    ErrorCode (*padding)(void* context, uint32_t& frames);
    ErrorCode (*getBuffer)(void* context, uint32_t frames, float*& data);
    // `silent`: the frames are to be played as silence, whatever the buffer holds.
    ErrorCode (*releaseBuffer)(void* context, uint32_t frames, bool silent);
};

// The sound: writes up to `wanted` floats (whole frames of `channels`) and
// returns how many it wrote; 0 when there is nothing more.
struct RenderSource {
    void* userData;
    uint32_t (*fill)(void* userData, float* destination, uint32_t wanted);
};

struct RenderFormat {
    uint32_t channels;        // delivered by the source
    uint32_t deviceChannels;  // of the stream: channels, at least 2
    uint32_t bufferFrames;    // the device buffer as granted
};

// Fills the free part of the device buffer. When the source has nothing
// more, the free part is handed back as silence and `endReached` is set: the
// next period ends playback.
ErrorCode feedDevice(const RenderDevice& device, const RenderFormat& format, const RenderSource& source,
                     bool& endReached);

// Mono frames at the start of `buffer` become stereo frames, in place, from
// the last to the first so that no frame is overwritten before it is read.
void spreadMonoToStereo(float* buffer, uint32_t frames);
