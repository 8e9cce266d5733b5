#include <gtest/gtest.h>

#include <vector>

#include "audio/preview_player.h"
#include "audio/render_feed.h"

namespace {

// The device side of a stream: a buffer of `bufferFrames` stereo frames, of
// which `queued` still wait to be played; what is handed back is recorded.
struct StandInDevice {
    uint32_t queued = 0;
    std::vector<float> buffer = std::vector<float>(64, -9.0f);
    std::vector<float> played;  // interleaved stereo, silence included
    std::vector<uint32_t> releases;
    std::vector<bool> silentReleases;
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
        device.silentReleases.push_back(silent);
        for (uint32_t i = 0; i < 2 * frames; ++i) device.played.push_back(silent ? 0.0f : device.buffer[i]);
        device.queued += frames;
        return ErrorCode::Ok;
    }
    RenderDevice table() { return {this, padding, getBuffer, releaseBuffer}; }
};

struct Feed : ::testing::Test {
    StandInDevice device;
    PreviewPlayer player = {};
    SampleBuffer samples = {};
    RenderFormat format = {1, 2, 8};
    bool endReached = false;

    void SetUp() override {
        ASSERT_FALSE(failed(resizeBuffer(samples, 20)));
        for (uint32_t i = 0; i < 20; ++i) samples.data[i] = float(i + 1) / 32;
    }
    void TearDown() override { releaseBuffer(samples); }
    void play(uint32_t start, uint32_t end) {
        player.source = &samples;
        player.start = start;
        player.end = end;
        player.position = start;
    }
    ErrorCode feed() {
        RenderSource source = {&player, fillFromPreview};
        return feedDevice(device.table(), format, source, endReached);
    }
    // The device plays everything queued.
    void period() { device.queued = 0; }
    // Both channels of every non-silent frame played, as mono.
    std::vector<float> left() const {
        std::vector<float> mono;
        for (size_t i = 0; i < device.played.size(); i += 2) {
            EXPECT_EQ(device.played[i], device.played[i + 1]) << "frame " << i / 2;
            mono.push_back(device.played[i]);
        }
        return mono;
    }
};

}  // namespace

TEST_F(Feed, FillsTheFreeSpaceThenEndsWithASilentBuffer) {
    play(3, 16);  // thirteen frames through a buffer of eight
    device.queued = 5;
    EXPECT_EQ(feed(), ErrorCode::Ok);
    EXPECT_EQ(device.asked, 3u);  // only what is free
    period();
    EXPECT_EQ(feed(), ErrorCode::Ok);
    EXPECT_FALSE(endReached);
    EXPECT_EQ(playbackPosition(player), 14u);
    period();
    EXPECT_EQ(feed(), ErrorCode::Ok);  // the last two frames
    EXPECT_FALSE(endReached);
    period();
    EXPECT_EQ(feed(), ErrorCode::Ok);  // nothing left: a whole buffer of silence
    EXPECT_TRUE(endReached);
    EXPECT_EQ(device.releases, (std::vector<uint32_t>{3, 8, 2, 8}));
    EXPECT_EQ(device.silentReleases, (std::vector<bool>{false, false, false, true}));
    std::vector<float> expected(samples.data + 3, samples.data + 16);
    expected.insert(expected.end(), 8, 0.0f);
    EXPECT_EQ(left(), expected);
}

TEST_F(Feed, AFullDeviceBufferTakesNothing) {
    play(0, 20);
    device.queued = 8;
    EXPECT_EQ(feed(), ErrorCode::Ok);
    EXPECT_TRUE(device.releases.empty());
    EXPECT_EQ(device.asked, 0u);
    EXPECT_FALSE(endReached);
    EXPECT_EQ(playbackPosition(player), 0u);
}

TEST_F(Feed, StartEqualToEndOrBeyondTheSamplesPlaysOnlySilence) {
    play(7, 7);
    EXPECT_EQ(feed(), ErrorCode::Ok);
    EXPECT_TRUE(endReached);
    EXPECT_EQ(device.releases, (std::vector<uint32_t>{8}));
    EXPECT_EQ(device.silentReleases, (std::vector<bool>{true}));
    // A source without samples, or none at all, is the same.
    endReached = false;
    period();
    SampleBuffer empty = {};
    player.source = &empty;
    player.position = 0;
    player.end = 0;
    EXPECT_EQ(feed(), ErrorCode::Ok);
    EXPECT_TRUE(endReached);
    EXPECT_EQ(fillFromPreview(nullptr, device.buffer.data(), 8), 0u);
}

TEST_F(Feed, TheSpreadFillsTheWholeBufferWithoutOverwritingWhatItStillReads) {
    play(0, 20);
    EXPECT_EQ(feed(), ErrorCode::Ok);  // eight mono frames become sixteen floats
    std::vector<float> expected;
    for (uint32_t i = 0; i < 8; ++i) expected.insert(expected.end(), {samples.data[i], samples.data[i]});
    EXPECT_EQ(device.played, expected);
    EXPECT_EQ(device.buffer[16], -9.0f);  // nothing beyond the frames handed over
}

TEST_F(Feed, DeviceFailuresAreReturnedAndHandNothingBack) {
    play(0, 20);
    device.paddingResult = ErrorCode::DeviceGone;
    EXPECT_EQ(feed(), ErrorCode::DeviceGone);
    device.paddingResult = ErrorCode::Ok;
    device.bufferResult = ErrorCode::BufferTooSmall;
    EXPECT_EQ(feed(), ErrorCode::BufferTooSmall);
    EXPECT_TRUE(device.releases.empty());
    EXPECT_EQ(playbackPosition(player), 0u);
    EXPECT_FALSE(endReached);
}
