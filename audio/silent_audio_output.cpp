// The audio output of this build: playback starts and stops with its
// notifications, but nothing is sent to a device and the position stays at
// the start. A WASAPI output takes its place behind the same functions.
#include "audio/preview_player.h"

ErrorCode initAudioOutput(PreviewPlayer& player, uint32_t, uint32_t, uint32_t, uint32_t) {
    shutdownAudioOutput(player);
    player.outputOpen = true;
    return ErrorCode::Ok;
}

void shutdownAudioOutput(PreviewPlayer& player) {
    stopPlayback(player);
    player.outputOpen = false;
}

ErrorCode startPlayback(PreviewPlayer& player, const PreviewSound& source, uint32_t start, uint32_t end) {
    if (!player.outputOpen) return ErrorCode::NoDevice;
    stopPlayback(player);
    PlayedSpan span = clampPlayedSpan(start, end, publishedSound(source).count);
    player.source = &source;
    player.start = span.start;
    player.end = span.end;
    player.position = span.start;
    player.playing = true;
    if (player.onStarted) player.onStarted(player.owner);
    return ErrorCode::Ok;
}

void stopPlayback(PreviewPlayer& player) {
    if (!player.playing.exchange(false)) return;
    if (player.onStopped) player.onStopped(player.owner);
}
