#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "audio/preview_player.h"
#include "import/sample_processing.h"

// Knob steps while the preview plays: the render thread must only ever get
// ranges of one complete version of the sound, never a cleared or
// half-processed one.
TEST(PreviewPlayer, AFillDuringARebuildGetsOneCompleteVersion) {
    std::vector<float> tone(30000);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.6f * float(std::sin(double(i) * 0.03));
    Instrument instrument = {};
    instrument.samples = {tone.data(), uint32_t(tone.size()), nullptr};  // lent, held by nobody
    instrument.start = 1000;
    instrument.end = 29000;
    const uint8_t settings[][2] = {{0, 1}, {3, 5}, {6, 12}, {10, 30}, {2, 60}, {8, 3}};  // boost, decay
    std::vector<std::vector<float>> versions;
    SampleBuffer envelope = {};
    for (const auto& setting : settings) {
        SampleBuffer built = {};
        instrument.boost = setting[0];
        instrument.decay = setting[1];
        ASSERT_EQ(prepareInstrumentPreview(instrument, built, envelope), ErrorCode::Ok);
        versions.emplace_back(built.data, built.data + built.count);
        releaseBuffer(built);
    }

    PreviewSound sound = {};
    auto rebuild = [&](size_t version) {
        SampleBuffer* spare = soundToBuild(sound);
        ASSERT_NE(spare, nullptr);
        instrument.boost = settings[version][0];
        instrument.decay = settings[version][1];
        ASSERT_EQ(prepareInstrumentPreview(instrument, *spare, envelope), ErrorCode::Ok);
        publishSound(sound, *spare);
    };
    rebuild(0);
    PreviewPlayer player = {};
    player.source = &sound;
    player.start = instrument.start;
    player.end = instrument.end;
    player.position = instrument.start;

    // The render thread's side: period after period from start to end, and again.
    std::atomic<bool> done{false};
    std::atomic<uint32_t> blocks{0}, mixed{0};
    std::thread reader([&] {
        float block[512];
        while (!done) {
            uint32_t from = playbackPosition(player);
            uint32_t count = fillFromPreview(&player, block, 512);
            bool whole = false;
            for (const std::vector<float>& version : versions)
                whole = whole || memcmp(block, version.data() + from, sizeof(float) * count) == 0;
            if (!whole) ++mixed;
            ++blocks;
            if (count < 512) player.position = instrument.start;
        }
    });
    for (size_t step = 1; step < 100000 && (step < 300 || blocks < 3000); ++step) rebuild(step % versions.size());
    done = true;
    reader.join();
    EXPECT_GE(blocks, 3000u);
    EXPECT_EQ(mixed, 0u) << "of " << blocks << " blocks";
    releaseSound(sound);
    releaseBuffer(envelope);
}

// A version of another length, or none at all (one that could not be built),
// ends the sound where its samples end: nothing is read beyond them.
TEST(PreviewPlayer, AFillStopsWhereThePublishedVersionEnds) {
    PreviewSound sound = {};
    PreviewPlayer player = {};
    player.source = &sound;
    player.start = 15;
    player.end = 30;
    player.position = 15;
    float block[16];
    EXPECT_EQ(fillFromPreview(&player, block, 16), 0u);
    SampleBuffer* version = soundToBuild(sound);
    ASSERT_EQ(resizeBuffer(*version, 20), ErrorCode::Ok);
    for (uint32_t i = 0; i < 20; ++i) version->data[i] = float(i);
    publishSound(sound, *version);
    EXPECT_EQ(fillFromPreview(&player, block, 16), 5u);
    EXPECT_EQ(block[4], 19.0f);
    EXPECT_EQ(playbackPosition(player), 20u);
    EXPECT_EQ(fillFromPreview(&player, block, 16), 0u);

    // A render thread that outlived its playback's stop reads nothing: not the
    // sound, not the position, and it announces no reading of its own.
    player.position = 15;
    PlaybackTicket current = {&player, player.playback.load()};
    EXPECT_EQ(fillForPlayback(&current, block, 2), 2u);
    PlaybackTicket stale = current;
    ++player.playback;  // what a stop does
    sound.reading.store(version);  // the next playback's thread, in the middle of a period
    EXPECT_EQ(fillForPlayback(&stale, block, 16), 0u);
    EXPECT_EQ(playbackPosition(player), 17u);
    EXPECT_EQ(sound.reading.load(), version);
    sound.reading.store(nullptr);
    releaseSound(sound);
}
