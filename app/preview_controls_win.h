#pragma once
#include <windows.h>

// The preview as the window shows it: "Play" or "Stop" on the Play button,
// the playhead timer and the play line in the waveform view.

// The player's notifications; the audio output may call them on its own thread.
void onPreviewStarted(void* owner);
void onPreviewStopped(void* owner);
// On the user-interface thread: the controls follow whether the preview plays.
void showPlaybackState();
void onPlayheadTimer();
// Play / Stop for the selected instrument.
void togglePreviewOfSelection();
// The View menu's "Hear as on the Card": its check mark, and the command.
void showHearAsOnCard();
void toggleHearAsOnCard();
