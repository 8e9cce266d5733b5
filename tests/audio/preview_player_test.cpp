#include <gtest/gtest.h>

#include <string>

#include "audio/preview_player.h"

// Play / Stop through the silent output of this build, as the window uses them.
TEST(PreviewPlayer, TogglesWithinTheSamplesWithOneNotificationEachWay) {
    std::string events;  // what the window hears: '+' started, '-' stopped
    PreviewPlayer player = {};
    player.owner = &events;
    player.onStarted = [](void* owner) { static_cast<std::string*>(owner)->push_back('+'); };
    player.onStopped = [](void* owner) { static_cast<std::string*>(owner)->push_back('-'); };
    SampleBuffer samples = {};
    ASSERT_FALSE(failed(resizeBuffer(samples, 1000)));
    Instrument instrument = {};
    instrument.start = 5000;
    instrument.end = 9000;
    EXPECT_EQ(togglePreview(player, samples, &instrument), ErrorCode::NoDevice);  // no output opened
    ASSERT_FALSE(failed(initAudioOutput(player, kWorkingSampleRate, 1, 2, 1024)));
    EXPECT_FALSE(failed(togglePreview(player, samples, nullptr)));  // nothing selected
    EXPECT_FALSE(isPlaying(player));
    togglePreview(player, samples, &instrument);
    EXPECT_TRUE(isPlaying(player));
    EXPECT_EQ(player.end, 1000u);  // the end cut to the samples, the start to the end
    EXPECT_EQ(playbackPosition(player), 1000u);
    togglePreview(player, samples, &instrument);
    EXPECT_FALSE(isPlaying(player));
    togglePreview(player, samples, &instrument);
    stopPlayback(player);
    stopPlayback(player);  // a second stop tells nobody
    togglePreview(player, samples, &instrument);
    shutdownAudioOutput(player);
    EXPECT_FALSE(isPlaying(player));
    EXPECT_EQ(events, "+-+-+-");
    releaseBuffer(samples);
}
