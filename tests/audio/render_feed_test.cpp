#include <gtest/gtest.h>

#include <vector>

#include "audio/preview_player.h"
#include "audio/render_feed.h"

namespace {

// The device side of a stream: `queued` frames still wait to be played; what is handed back is kept.
struct StandInDevice {
    uint32_t queued = 0;
    std::vector<float> buffer = std::vector<float>(64, -9.0f);
    std::vector<float> played;  // interleaved stereo, silence included
    std::vector<uint32_t> releases;
    ErrorCode paddingResult = ErrorCode::Ok;
    ErrorCode bufferResult = ErrorCode::Ok;
    uint32_t asked = 0;

    static StandInDevice& of(void* context) { return *static_cast<StandInDevice*>(context); }
    static ErrorCode padding(void* context, uint32_t& frames) {
        frames = of(context).queued;
        return of(context).paddingResult;
    }
    static ErrorCode getBuffer(void* context, uint32_t frames, float*& data) {
        of(context).asked = frames;
        data = of(context).buffer.data();
        return of(context).bufferResult;
    }
    static ErrorCode releaseBuffer(void* context, uint32_t frames, bool silent) {
        StandInDevice& device = of(context);
        device.releases.push_back(frames);
        for (uint32_t i = 0; i < 2 * frames; ++i) device.played.push_back(silent ? 0.0f : device.buffer[i]);
        device.queued += frames;
        return ErrorCode::Ok;
    }
};

// Mono samples into a stereo device buffer of eight frames.
struct Feed : ::testing::Test {
    StandInDevice device;
    PreviewPlayer player = {};
    SampleBuffer samples = {};
    bool endReached = false;

    void SetUp() override {
        ASSERT_FALSE(failed(resizeBuffer(samples, 20)));
        for (uint32_t i = 0; i < 20; ++i) samples.data[i] = float(i + 1) / 32;
        play(0, 20);
    }
    void TearDown() override { releaseBuffer(samples); }
    void play(uint32_t start, uint32_t end) {
        player.source = &samples;
        player.end = end;
        player.position = start;
    }
    ErrorCode feed() {
        RenderDevice table = {&device, StandInDevice::padding, StandInDevice::getBuffer,
                              StandInDevice::releaseBuffer};
        return feedDevice(table, RenderFormat{1, 2, 8}, RenderSource{&player, fillFromPreview}, endReached);
    }
};

}  // namespace

TEST_F(Feed, FillsOnlyTheFreeSpaceThenEndsWithABufferOfSilence) {
    play(3, 16);  // thirteen frames
    device.queued = 8;
    EXPECT_EQ(feed(), ErrorCode::Ok);  // a full buffer takes nothing
    EXPECT_EQ(device.asked, 0u);
    device.queued = 5;
    EXPECT_EQ(feed(), ErrorCode::Ok);
    EXPECT_EQ(device.asked, 3u);
    EXPECT_EQ(device.buffer[6], -9.0f);  // three frames spread to six floats, no more
    for (int period = 1; period <= 3; ++period) {
        EXPECT_FALSE(endReached) << period;
        device.queued = 0;  // the device played all it held
        EXPECT_EQ(feed(), ErrorCode::Ok);
    }
    EXPECT_TRUE(endReached);
    EXPECT_EQ(device.releases, (std::vector<uint32_t>{3, 8, 2, 8}));
    EXPECT_EQ(playbackPosition(player), 16u);
    std::vector<float> expected;
    for (uint32_t i = 3; i < 16; ++i) expected.insert(expected.end(), {samples.data[i], samples.data[i]});
    expected.insert(expected.end(), 16, 0.0f);  // the last release flagged silent
    EXPECT_EQ(device.played, expected);

    SampleBuffer empty = {};
    play(0, 20);
    player.source = &empty;  // no samples, whatever the span says
    EXPECT_EQ(fillFromPreview(&player, device.buffer.data(), 8), 0u);
}

TEST_F(Feed, DeviceFailuresAreReturnedAndHandNothingBack) {
    device.paddingResult = ErrorCode::DeviceGone;
    EXPECT_EQ(feed(), ErrorCode::DeviceGone);
    device.paddingResult = ErrorCode::Ok;
    device.bufferResult = ErrorCode::BufferTooSmall;
    EXPECT_EQ(feed(), ErrorCode::BufferTooSmall);
    EXPECT_TRUE(device.releases.empty());
    EXPECT_EQ(playbackPosition(player), 0u);
    EXPECT_FALSE(endReached);
}
