#include "app/preview_controls_win.h"

#include "app/main_refresh_win.h"
#include "app/main_window_win.h"
#include "app/remembered_options_win.h"
#include "app/program_state.h"
#include "app/resource_ids.h"
#include "controls/waveform_view_win.h"
#include "transfer/transfer_job.h"

constexpr WPARAM kNoPlayhead = WPARAM(0xFFFFFFFF);

void showPlaybackState() {
    if (!mainWindow.window) return;
    HWND view = controlWindow(Control::WaveformView);
    if (isPlaying(previewPlayer)) {
        SetWindowTextW(controlWindow(Control::PlayButton), L"Stop");
        SetTimer(mainWindow.window, kPlayheadTimer, kPlayheadIntervalMs, nullptr);
        SendMessageW(view, WV_SETPLAYPOSITION, WPARAM(playbackPosition(previewPlayer)), 0);
    } else {
        SetWindowTextW(controlWindow(Control::PlayButton), L"Play");
        KillTimer(mainWindow.window, kPlayheadTimer);
        SendMessageW(view, WV_SETPLAYPOSITION, kNoPlayhead, 0);
    }
}

// A timer belongs to the thread of its window, and an output may end
// playback from its own thread: such a notification is passed over.
static void playbackChanged(void* owner) {
    HWND window = static_cast<HWND>(owner);
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        showPlaybackState();
    else
        PostMessageW(window, kPreviewStateMessage, 0, 0);
}

void onPreviewStarted(void* owner) { playbackChanged(owner); }
void onPreviewStopped(void* owner) { playbackChanged(owner); }

void onPlayheadTimer() {
    if (!isPlaying(previewPlayer)) return;
    SendMessageW(controlWindow(Control::WaveformView), WV_SETPLAYPOSITION, WPARAM(playbackPosition(previewPlayer)), 0);
}

// Play without an audio output says so in the status line, which otherwise
// belongs to the transfer: the text it replaced comes back with the next Play
// that sounds, and a transfer's texts replace it as they come.
static const wchar_t kNoOutputText[] = L"No audio output to play through";
static wchar_t statusBeforeNoOutput[kStatusTextCapacity];

static bool statusShowsNoOutput(HWND status) {
    wchar_t text[kStatusTextCapacity] = {};
    GetWindowTextW(status, text, kStatusTextCapacity);
    return lstrcmpW(text, kNoOutputText) == 0;
}

void togglePreviewOfSelection() {
    bool starting = !isPlaying(previewPlayer);
    ErrorCode code =
        togglePreview(previewPlayer, hearAsOnCard ? previewCardSound : previewSamples, selectedInstrument());
    if (!starting || !selectedInstrument()) return;
    HWND status = controlWindow(Control::StatusText);
    bool shown = statusShowsNoOutput(status);
    if (failed(code) && !shown) {
        GetWindowTextW(status, statusBeforeNoOutput, kStatusTextCapacity);
        SetWindowTextW(status, kNoOutputText);
    } else if (!failed(code) && shown) {
        SetWindowTextW(status, statusBeforeNoOutput);
    }
}

void showHearAsOnCard() {
    if (HMENU menu = GetMenu(mainWindow.window))
        CheckMenuItem(menu, kCommandHearAsCard, MF_BYCOMMAND | (hearAsOnCard ? MF_CHECKED : MF_UNCHECKED));
}

// The sound being played changes: the playback ends, the next one plays the
// other sound. The card's sound is made only while it is chosen.
void toggleHearAsOnCard() {
    stopPlayback(previewPlayer);
    hearAsOnCard = !hearAsOnCard;
    rememberOption(kHearAsOnCardValue, hearAsOnCard);
    showHearAsOnCard();
    if (const Instrument* instrument = selectedInstrument()) showPreview(*instrument);
}
