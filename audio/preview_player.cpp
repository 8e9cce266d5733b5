#include "audio/preview_player.h"

#include <cstring>

bool isPlaying(const PreviewPlayer& player) { return player.playing.load(); }

uint32_t playbackPosition(const PreviewPlayer& player) { return player.position.load(); }

ErrorCode togglePreview(PreviewPlayer& player, const SampleBuffer& previewSamples, const Instrument* selected) {
    if (isPlaying(player)) {
        stopPlayback(player);
        return ErrorCode::Ok;
    }
    if (!selected) return ErrorCode::Ok;
    return startPlayback(player, previewSamples, selected->start, selected->end);
}

uint32_t fillFromPreview(void* context, float* destination, uint32_t wanted) {
    PreviewPlayer* player = static_cast<PreviewPlayer*>(context);
    if (!player || !player->source || !player->source->data) return 0;
    uint32_t position = player->position.load(std::memory_order_relaxed);
    if (position >= player->end) return 0;
    uint32_t count = player->end - position;
    if (count > wanted) count = wanted;
    memcpy(destination, player->source->data + position, sizeof(float) * count);
    player->position.store(position + count, std::memory_order_relaxed);
    return count;
}
