#pragma once
#include <windows.h>

#include <audioclient.h>

#include "audio/preview_player.h"

// The preview's WASAPI output, behind the functions of preview_player.h.
// One per process: the user-interface thread opens, starts, stops and
// closes it; each playback has its own render thread.

// Opens the stream on an activated client (initAudioOutput takes the default
// endpoint's; the tests give stand-ins) and takes over the caller's reference,
// also on failure. COM must already be entered on this thread.
ErrorCode openAudioStream(PreviewPlayer& player, IAudioClient* client, uint32_t rate, uint32_t channels,
                          uint32_t periods, uint32_t framesPerPeriod);
