#include <gtest/gtest.h>

#include <windows.h>

#include <audioclient.h>

#include <atomic>
#include <mutex>
#include <tuple>
#include <vector>

#include "audio/wasapi_audio_output_win.h"

// The WASAPI output with hand-written stand-ins for IAudioClient and IAudioRenderClient:
// the test plays the device, waking the render thread period by period, and keeps what it gets.
// The periods are a fraction of the buffer, as on Windows.

namespace {

constexpr uint32_t kBufferFrames = 2048;

// A reference count the tests read back; no other interface is offered.
template <typename Interface>
struct Counted : Interface {
    std::atomic<long> references{1};
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(--references); }
};

template <typename Condition>
bool waitFor(Condition condition) {
    for (int i = 0; i < 2000 && !condition(); ++i) Sleep(1);
    return condition();
}

struct StandInClient : Counted<IAudioClient> {
    struct RenderClient : Counted<IAudioRenderClient> {
        StandInClient* client = nullptr;
        HRESULT STDMETHODCALLTYPE GetBuffer(UINT32 frames, BYTE** data) override {
            if (frames > kBufferFrames - client->padding) return AUDCLNT_E_BUFFER_TOO_LARGE;
            for (float& sample : client->buffer) sample = 12345.0f;  // not silence: anything left unwritten shows
            client->lent = frames;
            *data = reinterpret_cast<BYTE*>(client->buffer);
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE ReleaseBuffer(UINT32 frames, DWORD flags) override {
            if (frames > client->lent) return AUDCLNT_E_INVALID_SIZE;
            std::lock_guard<std::mutex> hold(client->lock);
            for (uint32_t i = 0; i < frames * 2; ++i)
                client->played.push_back(flags & AUDCLNT_BUFFERFLAGS_SILENT ? 0.0f : client->buffer[i]);
            client->releases.push_back(frames);
            if (!client->playsAtOnce) client->padding += frames;
            client->lent = 0;
            return S_OK;
        }
    } renderClient;
    WAVEFORMATEX format = {};
    DWORD streamFlags = 0;
    REFERENCE_TIME duration = 0;
    HANDLE event = nullptr;
    std::atomic<uint32_t> padding{0};
    std::atomic<bool> running{false};
    bool playsAtOnce = false;  // like Wine's file output: nothing stays queued
    std::atomic<uint32_t> paddingQueries{0};
    // At the last Stop: frames still queued, and the releases until then.
    uint32_t queuedAtStop = 0;
    size_t releasesAtStop = 0;
    float buffer[kBufferFrames * 2] = {};
    uint32_t lent = 0;
    // What reached the device, interleaved (silence as zeros), and the frames of each release.
    std::mutex lock;
    std::vector<float> played;
    std::vector<uint32_t> releases;
    size_t releasesBeforeStart = 0;

    StandInClient() { renderClient.client = this; }
    HRESULT STDMETHODCALLTYPE Initialize(AUDCLNT_SHAREMODE mode, DWORD flags, REFERENCE_TIME bufferDuration,
                                         REFERENCE_TIME periodicity, const WAVEFORMATEX* given, LPCGUID) override {
        if (mode != AUDCLNT_SHAREMODE_SHARED || periodicity != 0) return E_INVALIDARG;
        format = *given;
        streamFlags = flags;
        duration = bufferDuration;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBufferSize(UINT32* frames) override {
        *frames = kBufferFrames;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetStreamLatency(REFERENCE_TIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentPadding(UINT32* frames) override {
        *frames = padding;
        ++paddingQueries;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsFormatSupported(AUDCLNT_SHAREMODE, const WAVEFORMATEX*, WAVEFORMATEX**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetMixFormat(WAVEFORMATEX**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDevicePeriod(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Start() override {
        std::lock_guard<std::mutex> hold(lock);
        releasesBeforeStart = releases.size();
        running = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override {
        std::lock_guard<std::mutex> hold(lock);
        if (running) {
            queuedAtStop = padding;
            releasesAtStop = releases.size();
        }
        running = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        padding = 0;
        return running ? AUDCLNT_E_NOT_STOPPED : S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetEventHandle(HANDLE handle) override {
        event = handle;
        return S_OK;
    }
    // Like Wine: a render client, but no clock adjustment.
    HRESULT STDMETHODCALLTYPE GetService(REFIID id, void** object) override {
        if (IsEqualIID(id, __uuidof(IAudioRenderClient))) {
            renderClient.AddRef();
            *object = static_cast<IAudioRenderClient*>(&renderClient);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    size_t releaseCount() {
        std::lock_guard<std::mutex> hold(lock);
        return releases.size();
    }
    // One period: the device plays up to `frames` of what it holds and wakes the thread.
    void period(uint32_t frames) {
        uint32_t before = paddingQueries;
        uint32_t held = padding;
        padding -= held < frames ? held : frames;
        SetEvent(event);
        waitFor([&] { return paddingQueries != before || !running; });
    }
    std::vector<float> channel(int which) {
        std::lock_guard<std::mutex> hold(lock);
        std::vector<float> samples;
        for (size_t i = which; i < played.size(); i += 2) samples.push_back(played[i]);
        return samples;
    }
};

struct Listener {
    std::atomic<int> started{0};
    std::atomic<int> stopped{0};
    std::atomic<DWORD> stoppedOn{0};
    static void onStarted(void* self) { ++static_cast<Listener*>(self)->started; }
    static void onStopped(void* self) {
        static_cast<Listener*>(self)->stoppedOn = GetCurrentThreadId();
        ++static_cast<Listener*>(self)->stopped;
    }
};

struct WasapiOutput : ::testing::Test {
    StandInClient client;
    Listener listener;
    PreviewPlayer player = {};
    PreviewSound sound = {};

    void SetUp() override {
        player.owner = &listener;
        player.onStarted = Listener::onStarted;
        player.onStopped = Listener::onStopped;
        SampleBuffer* samples = soundToBuild(sound);
        ASSERT_FALSE(failed(resizeBuffer(*samples, 10000)));
        for (uint32_t i = 0; i < 10000; ++i) samples->data[i] = float(i % 1000) / 1000 - 0.5f;
        publishSound(sound, *samples);
        client.AddRef();  // the output's
        ASSERT_EQ(openAudioStream(player, &client, kWorkingSampleRate, 1, 2, 1024), ErrorCode::Ok);
    }
    void TearDown() override {
        shutdownAudioOutput(player);
        // Every reference the output and its threads took is given back.
        EXPECT_EQ(client.references, 1);
        EXPECT_EQ(client.renderClient.references, 1);
        releaseSound(sound);
    }
    // Periods of a quarter of the buffer until playback has ended by itself and told so.
    void playToTheEnd(int stops) {
        for (int i = 0; i < 1000 && isPlaying(player); ++i) client.period(kBufferFrames / 4);
        ASSERT_TRUE(waitFor([&] { return listener.stopped == stops; }));
    }
    std::vector<float> expected(uint32_t start, uint32_t end) {
        const float* samples = publishedSound(sound).data;
        return std::vector<float>(samples + start, samples + end);
    }
};

}  // namespace

TEST_F(WasapiOutput, OpensFloatStereoAt37908AndPlaysTheSpanCutToTheSamplesInBothChannels) {
    auto fields = [](const WAVEFORMATEX& f) {
        return std::make_tuple(f.wFormatTag, f.nChannels, f.nSamplesPerSec, f.nAvgBytesPerSec, f.nBlockAlign,
                               f.wBitsPerSample, f.cbSize);
    };
    EXPECT_EQ(fields(client.format), fields({WAVE_FORMAT_IEEE_FLOAT, 2, 37908, 37908 * 8, 8, 32, 0}));
    EXPECT_EQ(client.streamFlags, 0x00140000u);  // event callback and rate adjustment
    EXPECT_EQ(client.duration, 540255);  // two periods of 1024 frames
    ASSERT_NE(client.event, nullptr);

    ASSERT_EQ(startPlayback(player, sound, 100, 20000), ErrorCode::Ok);  // the end cut to the 10000 samples
    EXPECT_TRUE(isPlaying(player));
    EXPECT_EQ(listener.started, 1);
    EXPECT_EQ(client.releasesBeforeStart, 1u);  // the first buffer is full before the stream starts
    EXPECT_EQ(client.releases[0], kBufferFrames);
    playToTheEnd(1);
    EXPECT_NE(listener.stoppedOn, GetCurrentThreadId());  // the natural end comes from the render thread
    EXPECT_FALSE(client.running);
    // The whole sound, then a buffer of silence, all played before the stop and nothing handed after it.
    std::vector<float> left = client.channel(0), played = expected(100, 10000);
    played.resize(played.size() + kBufferFrames, 0.0f);
    EXPECT_EQ(left, played);
    EXPECT_EQ(left, client.channel(1));
    EXPECT_EQ(client.queuedAtStop, 0u);
    EXPECT_EQ(client.releasesAtStop, client.releaseCount());
    EXPECT_EQ(playbackPosition(player), 10000u);
}

TEST_F(WasapiOutput, StopStartStartsAgainFromTheStartWithOneNotificationEachWay) {
    ASSERT_EQ(startPlayback(player, sound, 300, 9000), ErrorCode::Ok);
    client.period(kBufferFrames);
    stopPlayback(player);
    EXPECT_FALSE(isPlaying(player));
    EXPECT_FALSE(client.running);
    EXPECT_EQ(listener.stopped, 1);
    // The thread is gone, with the references it held.
    EXPECT_EQ(client.references, 2);
    EXPECT_EQ(client.renderClient.references, 2);
    stopPlayback(player);
    EXPECT_EQ(listener.stopped, 1);

    size_t before = client.channel(0).size();
    ASSERT_EQ(startPlayback(player, sound, 300, 9000), ErrorCode::Ok);
    EXPECT_EQ(listener.started, 2);
    std::vector<float> left = client.channel(0);
    EXPECT_EQ(std::vector<float>(left.begin() + before, left.begin() + before + 1000), expected(300, 1300));
    // Starting while playing replaces the playback.
    ASSERT_EQ(startPlayback(player, sound, 300, 9000), ErrorCode::Ok);
    EXPECT_EQ(listener.stopped, 2);
    EXPECT_EQ(listener.started, 3);
}

// A period signalled after a stop, still pending when a playback of nothing
// starts: the new playback still ends by itself, on its render thread, and
// shows "Play" (a thread that ended before it was recorded as the running
// one would have left "Stop" up for good).
TEST_F(WasapiOutput, AVeryShortPlaybackRightAfterAStopEndsByItself) {
    client.playsAtOnce = true;
    for (int round = 1; round <= 40; ++round) {
        ASSERT_EQ(startPlayback(player, sound, 300, 9000), ErrorCode::Ok);
        client.period(kBufferFrames);
        stopPlayback(player);
        SetEvent(client.event);
        ASSERT_EQ(startPlayback(player, sound, 300, 300), ErrorCode::Ok);
        client.period(kBufferFrames);
        ASSERT_TRUE(waitFor([&] { return listener.stopped == 2 * round; })) << round;
        ASSERT_FALSE(isPlaying(player));
        EXPECT_NE(listener.stoppedOn, GetCurrentThreadId());
        EXPECT_FALSE(client.running);
        ASSERT_TRUE(waitFor([&] { return client.references == 2; })) << round;
    }
    EXPECT_EQ(listener.started, 80);
}

// A stop given just as the render thread ends playback by itself: one of the
// two ends it, the other finds nothing to do, and the handle is closed once.
TEST_F(WasapiOutput, AStopRacingTheNaturalEndTellsOnce) {
    for (int round = 1; round <= 40; ++round) {
        ASSERT_EQ(startPlayback(player, sound, 5, 5), ErrorCode::Ok);  // ends once its silence is played
        client.padding = 0;
        SetEvent(client.event);
        Sleep(round % 4);  // the stop before, during and after the thread's own end
        stopPlayback(player);
        ASSERT_TRUE(waitFor([&] { return listener.stopped == round; })) << round;
        ASSERT_FALSE(isPlaying(player));
        ASSERT_TRUE(waitFor([&] { return client.references == 2; })) << round;
    }
    Sleep(20);
    EXPECT_EQ(listener.stopped, 40);
    EXPECT_EQ(listener.started, 40);
}

// Run with a home whose ALSA set-up has no device: Wine then offers no default
// endpoint, so neither a closed output nor one opened again can play.
TEST_F(WasapiOutput, WithoutADeviceStartingFindsNoDevice) {
    shutdownAudioOutput(player);
    EXPECT_EQ(startPlayback(player, sound, 0, 100), ErrorCode::NoDevice);
    EXPECT_NE(initAudioOutput(player, kWorkingSampleRate, 1, 2, 1024), ErrorCode::Ok);
    EXPECT_EQ(startPlayback(player, sound, 0, 100), ErrorCode::NoDevice);  // after trying to open again
    EXPECT_FALSE(isPlaying(player));
    EXPECT_EQ(listener.started, 0);
    EXPECT_EQ(listener.stopped, 0);
}
