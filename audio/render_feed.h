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
// returns how many it wrote; fewer than wanted once the sound has ended.
struct RenderSource {
    void* userData;
    uint32_t (*fill)(void* userData, float* destination, uint32_t wanted);
};

struct RenderFormat {
    uint32_t channels;        // delivered by the source
    uint32_t deviceChannels;  // of the stream: channels, at least 2
    uint32_t bufferFrames;    // the device buffer as granted
};

// Where one playback stands; starts zeroed, kept between periods.
struct FeedProgress {
    uint64_t handed;     // frames handed to the device, silence included
    uint64_t soundEnd;   // frames of sound among them, once the source ran dry
    bool soundEnded;
    bool finished;       // the device has played everything: the stream may stop
};

// Fills the free part of the device buffer. After the sound comes one device
// buffer of silence, and nothing after that: a device may still hold frames
// it no longer counts as queued (Wine takes back what its ALSA buffer holds
// when the stream stops), and the silence is what it holds then. `finished`
// is set once the device has played every frame handed to it.
ErrorCode feedDevice(const RenderDevice& device, const RenderFormat& format, const RenderSource& source,
                     FeedProgress& progress);

// Mono frames at the start of `buffer` become stereo frames, in place, from
// the last to the first so that no frame is overwritten before it is read.
void spreadMonoToStereo(float* buffer, uint32_t frames);
