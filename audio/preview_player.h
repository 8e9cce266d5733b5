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

struct PreviewPlayer {
    // Told when playback starts and when it stops (also at its natural end,
    // which an audio output reports from its own thread).
    void* owner;
    void (*onStarted)(void* owner);
    void (*onStopped)(void* owner);
    const SampleBuffer* source;
    uint32_t start;
    uint32_t end;
    std::atomic<uint32_t> position;  // next frame handed to the device; read by the window's timer
    std::atomic<bool> playing;
    bool outputOpen;
};

// Opens the output: rate, channels delivered, periods of the device buffer
// and frames per period. A player whose output is not open stays silent:
// starting it gives NoDevice (the WASAPI output first tries to open again,
// for a device plugged in since).
ErrorCode initAudioOutput(PreviewPlayer& player, uint32_t rate, uint32_t channels, uint32_t periods,
                          uint32_t framesPerPeriod);
// Stops playback and closes the output (also at exit).
void shutdownAudioOutput(PreviewPlayer& player);

// Plays source frames start .. end - 1 (end cut to the count, start to end),
// stopping an earlier playback first.
ErrorCode startPlayback(PreviewPlayer& player, const SampleBuffer& source, uint32_t start, uint32_t end);
void stopPlayback(PreviewPlayer& player);
bool isPlaying(const PreviewPlayer& player);
uint32_t playbackPosition(const PreviewPlayer& player);

// Play / Stop: stops a playing preview; otherwise plays the selected
// instrument (null: none selected, nothing happens) from its prepared copy.
ErrorCode togglePreview(PreviewPlayer& player, const SampleBuffer& previewSamples, const Instrument* selected);

// The output's source: copies the next frames of the played span (at most
// `wanted`) and moves the position on; 0 at the end. Runs on the render
// thread, without allocating.
uint32_t fillFromPreview(void* player, float* destination, uint32_t wanted);
