#include <gtest/gtest.h>

#include <vector>

#include "audio/preview_player.h"

namespace {

// What the window sees of the player: its notifications, in order.
struct Listener {
    std::vector<char> events;
    static void started(void* self) { static_cast<Listener*>(self)->events.push_back('+'); }
    static void stopped(void* self) { static_cast<Listener*>(self)->events.push_back('-'); }
};

struct Player : ::testing::Test {
    PreviewPlayer player = {};
    Listener listener;
    SampleBuffer samples = {};
    Instrument instrument = {};
    void SetUp() override {
        player.owner = &listener;
        player.onStarted = Listener::started;
        player.onStopped = Listener::stopped;
        ASSERT_FALSE(failed(resizeBuffer(samples, 1000)));
    }
    void TearDown() override {
        shutdownAudioOutput(player);
        releaseBuffer(samples);
    }
};

}  // namespace

TEST_F(Player, TogglesWithinTheSamplesWithOneNotificationEachWay) {
    instrument.start = 5000;
    instrument.end = 9000;
    EXPECT_EQ(togglePreview(player, samples, &instrument), ErrorCode::NoDevice);  // no output opened
    ASSERT_FALSE(failed(initAudioOutput(player, kWorkingSampleRate, 1, 2, 1024)));
    EXPECT_FALSE(failed(togglePreview(player, samples, nullptr)));  // nothing selected
    EXPECT_FALSE(isPlaying(player));
    togglePreview(player, samples, &instrument);
    EXPECT_TRUE(isPlaying(player));
    // The end is cut to the samples and the start to the end.
    EXPECT_EQ(player.end, 1000u);
    EXPECT_EQ(playbackPosition(player), 1000u);
    togglePreview(player, samples, &instrument);
    EXPECT_FALSE(isPlaying(player));
    togglePreview(player, samples, &instrument);
    stopPlayback(player);
    stopPlayback(player);  // a second stop tells nobody
    togglePreview(player, samples, &instrument);
    shutdownAudioOutput(player);
    EXPECT_FALSE(isPlaying(player));
    EXPECT_EQ(std::string(listener.events.begin(), listener.events.end()), "+-+-+-");
}
