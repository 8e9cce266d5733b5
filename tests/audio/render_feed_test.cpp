#include <gtest/gtest.h>

#include <vector>

#include "audio/preview_player.h"
#include "audio/render_feed.h"

namespace {

// The device side of a stream: what is handed back is kept, interleaved
// stereo with silence as zeros; `queued` of it waits to be played, and each
// period the device plays at most a period's frames of it.
struct StandInDevice {
    uint32_t bufferFrames;
    std::vector<float> buffer;
    std::vector<float> handed;
    uint32_t queued = 0;
    uint64_t played = 0;
    bool ranDry = false;  // a period found fewer frames than it plays
    std::vector<uint32_t> releases;
    ErrorCode paddingResult = ErrorCode::Ok;
    ErrorCode bufferResult = ErrorCode::Ok;
    uint32_t asked = 0;

    explicit StandInDevice(uint32_t frames) : bufferFrames(frames), buffer(2 * frames + 8, -9.0f) {}
    static StandInDevice& of(void* context) { return *static_cast<StandInDevice*>(context); }
    static ErrorCode padding(void* context, uint32_t& frames) {
        frames = of(context).queued;
        return of(context).paddingResult;
    }
    static ErrorCode getBuffer(void* context, uint32_t frames, float*& data) {
        StandInDevice& device = of(context);
        EXPECT_LE(frames, device.bufferFrames - device.queued) << "more than the free part";
        device.asked = frames;
        for (float& sample : device.buffer) sample = -9.0f;  // anything left unwritten shows
        data = device.buffer.data();
        return device.bufferResult;
    }
    static ErrorCode releaseBuffer(void* context, uint32_t frames, bool silent) {
        StandInDevice& device = of(context);
        device.releases.push_back(frames);
        for (uint32_t i = 0; i < 2 * frames; ++i) device.handed.push_back(silent ? 0.0f : device.buffer[i]);
        device.queued += frames;
        return ErrorCode::Ok;
    }
    void playPeriod(uint32_t frames) {
        if (queued < frames) ranDry = true;
        uint32_t taken = queued < frames ? queued : frames;
        queued -= taken;
        played += taken;
    }
    RenderDevice table() { return {this, padding, getBuffer, releaseBuffer}; }
};

struct Sound {
    PreviewSound sound = {};
    explicit Sound(uint32_t count) {
        SampleBuffer* samples = soundToBuild(sound);
        EXPECT_FALSE(failed(resizeBuffer(*samples, count)));
        for (uint32_t i = 0; i < count; ++i) samples->data[i] = float(i + 1) / 4096;
        publishSound(sound, *samples);
    }
    ~Sound() { releaseSound(sound); }
    const float* data() const { return publishedSound(sound).data; }
};

void play(PreviewPlayer& player, const Sound& sound, uint32_t start, uint32_t end) {
    player.source = &sound.sound;
    player.start = start;
    player.end = end;
    player.position = start;
}

ErrorCode feed(StandInDevice& device, PreviewPlayer& player, FeedProgress& progress) {
    return feedDevice(device.table(), RenderFormat{1, 2, device.bufferFrames}, RenderSource{&player, fillFromPreview},
                      progress);
}

// Frames start .. end - 1 in both channels, then `silence` silent frames.
std::vector<float> stereo(const Sound& sound, uint32_t start, uint32_t end, uint32_t silence) {
    std::vector<float> frames;
    for (uint32_t i = start; i < end; ++i) frames.insert(frames.end(), {sound.data()[i], sound.data()[i]});
    frames.insert(frames.end(), 2 * silence, 0.0f);
    return frames;
}

}  // namespace

TEST(RenderFeed, FillsOnlyTheFreeSpaceThenOneBufferOfSilenceThenWaitsUntilAllIsPlayed) {
    Sound sound(20);
    StandInDevice device(8);
    PreviewPlayer player = {};
    play(player, sound, 3, 16);  // thirteen frames
    FeedProgress progress = {};
    device.queued = 8;
    EXPECT_EQ(feed(device, player, progress), ErrorCode::Ok);  // a full buffer takes nothing
    EXPECT_EQ(device.asked, 0u);
    device.queued = 5;
    EXPECT_EQ(feed(device, player, progress), ErrorCode::Ok);
    EXPECT_EQ(device.asked, 3u);
    for (int period = 1; period <= 3; ++period) {
        device.playPeriod(8);
        EXPECT_EQ(feed(device, player, progress), ErrorCode::Ok);
    }
    // 3 + 8 of sound, then 2 of sound and 6 silent, then 2 silent: eight silent in all.
    EXPECT_EQ(device.releases, (std::vector<uint32_t>{3, 8, 8, 2}));
    EXPECT_EQ(device.handed, stereo(sound, 3, 16, 8));
    EXPECT_EQ(playbackPosition(player), 16u);
    // Nothing more is handed; it ends once the device holds nothing.
    EXPECT_EQ(device.queued, 2u);
    device.playPeriod(1);
    EXPECT_EQ(feed(device, player, progress), ErrorCode::Ok);
    EXPECT_FALSE(progress.finished);
    device.playPeriod(1);
    EXPECT_EQ(feed(device, player, progress), ErrorCode::Ok);
    EXPECT_TRUE(progress.finished);
    EXPECT_EQ(device.releases.size(), 4u);
}

// As on Windows: periods much shorter than the buffer. The sound plays
// through without a gap, and when playback ends the device has played every
// frame handed to it: the whole sound and the silence after it.
TEST(RenderFeed, EndsOnlyWhenTheDeviceHasPlayedEveryFrameHandedToIt) {
    Sound sound(1000);
    for (uint32_t start : {0u, 10u, 500u}) {
        for (uint32_t end : {start, start + 1, start + 63, start + 64, start + 65, 1000u}) {
            StandInDevice device(64);
            PreviewPlayer player = {};
            play(player, sound, start, end);
            FeedProgress progress = {};
            ASSERT_EQ(feed(device, player, progress), ErrorCode::Ok);  // before the stream starts
            for (int period = 0; period < 1000 && !progress.finished; ++period) {
                if (device.played < end - start) {
                    EXPECT_FALSE(device.ranDry) << start << ".." << end;
                }
                device.playPeriod(10);
                ASSERT_EQ(feed(device, player, progress), ErrorCode::Ok);
            }
            ASSERT_TRUE(progress.finished);
            EXPECT_EQ(device.queued, 0u) << start << ".." << end;
            EXPECT_EQ(device.played, device.handed.size() / 2);
            EXPECT_EQ(device.handed, stereo(sound, start, end, 64)) << start << ".." << end;
        }
    }
}

TEST(RenderFeed, DeviceFailuresAreReturnedAndHandNothingBack) {
    Sound sound(20);
    StandInDevice device(8);
    PreviewPlayer player = {};
    play(player, sound, 0, 20);
    FeedProgress progress = {};
    device.paddingResult = ErrorCode::DeviceGone;
    EXPECT_EQ(feed(device, player, progress), ErrorCode::DeviceGone);
    device.paddingResult = ErrorCode::Ok;
    device.bufferResult = ErrorCode::BufferTooSmall;
    EXPECT_EQ(feed(device, player, progress), ErrorCode::BufferTooSmall);
    EXPECT_TRUE(device.releases.empty());
    EXPECT_EQ(playbackPosition(player), 0u);
    EXPECT_EQ(progress.handed, 0u);
    EXPECT_FALSE(progress.soundEnded);
}
