#include "audio/preview_player.h"

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
