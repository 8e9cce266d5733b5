#include "audio/render_feed.h"

void spreadMonoToStereo(float* buffer, uint32_t frames) {
    for (uint32_t i = frames; i-- > 0;) {
        float sample = buffer[i];
        buffer[2 * i] = sample;
        buffer[2 * i + 1] = sample;
    }
}

ErrorCode feedDevice(const RenderDevice& device, const RenderFormat& format, const RenderSource& source,
                     bool& endReached) {
    if (format.channels == 0 || format.deviceChannels < format.channels) return ErrorCode::InvalidArgument;
    uint32_t queued = 0;
    ErrorCode code = device.padding(device.context, queued);
    if (failed(code)) return code;
    if (queued >= format.bufferFrames) return ErrorCode::Ok;
    uint32_t freeFrames = format.bufferFrames - queued;
    float* data = nullptr;
    code = device.getBuffer(device.context, freeFrames, data);
    if (failed(code)) return code;
    uint32_t written = source.fill(source.userData, data, freeFrames * format.channels) / format.channels;
    if (written > freeFrames) written = freeFrames;
    if (written == 0) {
        endReached = true;
        return device.releaseBuffer(device.context, freeFrames, true);
    }
    if (format.channels == 1 && format.deviceChannels == 2) spreadMonoToStereo(data, written);
    return device.releaseBuffer(device.context, written, false);
}
