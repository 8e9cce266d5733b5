#include "audio/render_feed.h"

#include <cstring>

void spreadMonoToStereo(float* buffer, uint32_t frames) {
    for (uint32_t i = frames; i-- > 0;) {
        float sample = buffer[i];
        buffer[2 * i] = sample;
        buffer[2 * i + 1] = sample;
    }
}

ErrorCode feedDevice(const RenderDevice& device, const RenderFormat& format, const RenderSource& source,
                     FeedProgress& progress) {
    if (format.channels == 0 || format.deviceChannels < format.channels) return ErrorCode::InvalidArgument;
    if (progress.finished) return ErrorCode::Ok;
    uint32_t queued = 0;
    ErrorCode code = device.padding(device.context, queued);
    if (failed(code)) return code;
    const uint64_t silenceEnd = progress.soundEnd + format.bufferFrames;
    if (progress.soundEnded && progress.handed >= silenceEnd) {
        progress.finished = queued == 0;
        return ErrorCode::Ok;
    }
    if (queued >= format.bufferFrames) return ErrorCode::Ok;
    uint32_t frames = format.bufferFrames - queued;
    if (progress.soundEnded && silenceEnd - progress.handed < frames) frames = uint32_t(silenceEnd - progress.handed);
    float* data = nullptr;
    code = device.getBuffer(device.context, frames, data);
    if (failed(code)) return code;
    uint32_t written = 0;
    if (!progress.soundEnded) {
        written = source.fill(source.userData, data, frames * format.channels) / format.channels;
        if (written > frames) written = frames;
        if (written < frames) {
            progress.soundEnded = true;
            progress.soundEnd = progress.handed + written;
        }
    }
    if (written > 0) {
        if (format.channels == 1 && format.deviceChannels == 2) spreadMonoToStereo(data, written);
        memset(data + size_t(written) * format.deviceChannels, 0,
               sizeof(float) * (frames - written) * format.deviceChannels);
    }
    code = device.releaseBuffer(device.context, frames, written == 0);
    if (!failed(code)) progress.handed += frames;
    return code;
}
