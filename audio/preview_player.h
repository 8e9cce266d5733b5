#pragma once
#include <atomic>
#include <cstdint>

#include "core/card_document.h"
#include "core/error_code.h"
#include "core/growable_buffers.h"

// The preview of the selected instrument: its prepared copy (previewSamples)
// played from start to end on the default audio output. The output behind
// these functions is chosen at link time: the program has the WASAPI one
// (wasapi_audio_output_win.cpp); the native build and the window's tests a
// silent one, which starts and stops like it but makes no sound.

// A sound that can be rebuilt while it plays (a knob turned during the
// preview). The render thread reads the published buffer; the next version
// is built in the other one and published in one step, so a playing preview
// never meets a cleared or half-processed sound. The user-interface thread
// builds, publishes and draws; it is the only one that resizes the buffers.
struct PreviewSound {
    SampleBuffer buffers[2];
    std::atomic<const SampleBuffer*> published;  // null: silence
    // The buffer the one reader (the render thread's fill) copies from, or
    // null; the reader, lent the sound as const, announces itself here.
    mutable std::atomic<const SampleBuffer*> reading;
};

// The buffer to build the next version in: the one not published, once no
// fill still copies from it. A fill copies one device buffer, so the wait is
// short; a reader that stays longer than 200 ms gives null, and the sound
// stays as it is.
SampleBuffer* soundToBuild(PreviewSound& sound);
// Makes `built` (from soundToBuild) the version played and drawn.
void publishSound(PreviewSound& sound, SampleBuffer& built);
// The published version (empty when there is none).
const SampleBuffer& publishedSound(const PreviewSound& sound);
// Silence: nothing published. The buffers are kept for the next version.
void clearSound(PreviewSound& sound);
// At exit, when nothing plays any more.
void releaseSound(PreviewSound& sound);

struct PreviewPlayer {
    // Told when playback starts and when it stops (also at its natural end,
    // which an audio output reports from its own thread).
    void* owner;
    void (*onStarted)(void* owner);
    void (*onStopped)(void* owner);
    const PreviewSound* source;
    uint32_t start;
    uint32_t end;
    std::atomic<uint32_t> position;  // next frame handed to the device; read by the window's timer
    // Counts the stops. A render thread that outlived the bounded wait of a
    // stop finds it changed and reads nothing more: the sound has one reader.
    std::atomic<uint32_t> playback;
    std::atomic<bool> playing;
    bool outputOpen;
};

// The device buffer the program asks for: four periods of 1024 frames, about
// 108 ms. A render thread under load was seen waking 23 ms late (periods of
// 10 ms under Wine), and Wine's file output, which the capture test plays
// to, drains the buffer several times faster than real time; the sound of a
// start is handed over before the stream starts, so the size adds nothing to
// the time from Play to sound, only to the time a knob step takes to be heard.
constexpr uint32_t kPreviewPeriods = 4;
constexpr uint32_t kPreviewFramesPerPeriod = 1024;

// Opens the output: rate, channels delivered, periods of the device buffer
// and frames per period. A player whose output is not open stays silent:
// starting it gives NoDevice (the WASAPI output first tries to open again,
// for a device plugged in since).
ErrorCode initAudioOutput(PreviewPlayer& player, uint32_t rate, uint32_t channels, uint32_t periods,
                          uint32_t framesPerPeriod);
// Stops playback and closes the output (also at exit).
void shutdownAudioOutput(PreviewPlayer& player);

// Plays frames start .. end - 1 of the sound (end cut to its count, start to
// end), stopping an earlier playback first. A version published while it
// plays is heard from the next period on.
ErrorCode startPlayback(PreviewPlayer& player, const PreviewSound& source, uint32_t start, uint32_t end);
void stopPlayback(PreviewPlayer& player);
bool isPlaying(const PreviewPlayer& player);
uint32_t playbackPosition(const PreviewPlayer& player);

// Play / Stop: stops a playing preview; otherwise plays the selected
// instrument (null: none selected, nothing happens) from its prepared copy.
ErrorCode togglePreview(PreviewPlayer& player, const PreviewSound& previewSamples, const Instrument* selected);

// One playback's hold on the player, kept by its render thread.
struct PlaybackTicket {
    PreviewPlayer* player;
    uint32_t playback;  // the player's count when the playback started
};
// fillFromPreview for the ticket's playback; nothing at all, not even a look
// at the sound, once that playback has been stopped.
uint32_t fillForPlayback(void* ticket, float* destination, uint32_t wanted);

// The output's source: copies the next frames of the played span from the
// published version (at most `wanted`) and moves the position on; fewer than
// wanted at the end. Runs on the render thread, without allocating.
uint32_t fillFromPreview(void* player, float* destination, uint32_t wanted);
