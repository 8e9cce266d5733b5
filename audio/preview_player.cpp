#include "audio/preview_player.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

const SampleBuffer kNoSound = {};
constexpr auto kSoundWait = std::chrono::milliseconds(200);

// The version a fill copies from, announced in `reading` before it is used.
// The builder publishes first and looks at `reading` after: a reader that
// announced the old version too late to be seen finds the new one on its
// second load and takes that instead.
const SampleBuffer* beginReading(const PreviewSound& sound) {
    for (;;) {
        const SampleBuffer* version = sound.published.load();
        sound.reading.store(version);
        if (sound.published.load() == version) return version;
    }
}

void endReading(const PreviewSound& sound) { sound.reading.store(nullptr); }

}  // namespace

SampleBuffer* soundToBuild(PreviewSound& sound) {
    SampleBuffer* spare = sound.published.load() == &sound.buffers[0] ? &sound.buffers[1] : &sound.buffers[0];
    auto giveUp = std::chrono::steady_clock::now() + kSoundWait;
    while (sound.reading.load() == spare) {
        if (std::chrono::steady_clock::now() > giveUp) return nullptr;
        std::this_thread::yield();
    }
    return spare;
}

void publishSound(PreviewSound& sound, SampleBuffer& built) { sound.published.store(&built); }

const SampleBuffer& publishedSound(const PreviewSound& sound) {
    const SampleBuffer* version = sound.published.load();
    return version ? *version : kNoSound;
}

void clearSound(PreviewSound& sound) { sound.published.store(nullptr); }

void releaseSound(PreviewSound& sound) {
    sound.published.store(nullptr);
    releaseBuffer(sound.buffers[0]);
    releaseBuffer(sound.buffers[1]);
}

bool isPlaying(const PreviewPlayer& player) { return player.playing.load(); }

uint32_t playbackPosition(const PreviewPlayer& player) { return player.position.load(); }

ErrorCode togglePreview(PreviewPlayer& player, const PreviewSound& previewSamples, const Instrument* selected) {
    if (isPlaying(player)) {
        stopPlayback(player);
        return ErrorCode::Ok;
    }
    if (!selected) return ErrorCode::Ok;
    return startPlayback(player, previewSamples, selected->start, selected->end);
}

uint32_t fillForPlayback(void* context, float* destination, uint32_t wanted) {
    const PlaybackTicket* ticket = static_cast<const PlaybackTicket*>(context);
    if (!ticket || !ticket->player || ticket->player->playback.load() != ticket->playback) return 0;
    return fillFromPreview(ticket->player, destination, wanted);
}

uint32_t fillFromPreview(void* context, float* destination, uint32_t wanted) {
    PreviewPlayer* player = static_cast<PreviewPlayer*>(context);
    if (!player || !player->source) return 0;
    const PreviewSound& sound = *player->source;
    const SampleBuffer* version = beginReading(sound);
    uint32_t count = 0;
    if (version && version->data) {
        uint32_t position = player->position.load(std::memory_order_relaxed);
        // A version of another length (one that could not be built is empty) ends the sound early.
        uint32_t end = player->end < version->count ? player->end : version->count;
        if (position < end) {
            count = end - position < wanted ? end - position : wanted;
            memcpy(destination, version->data + position, sizeof(float) * count);
            player->position.store(position + count, std::memory_order_relaxed);
        }
    }
    endReading(sound);
    return count;
}
