#include "audio/wasapi_audio_output_win.h"

#include <avrt.h>
#include <mmdeviceapi.h>

#include "audio/render_feed.h"

namespace {

constexpr DWORD kStopWaitMs = 100;
// The device wakes the render thread every period (10 ms on Windows and Wine); one that
// stays silent this long is gone, and playback ends as at the end of the sound.
constexpr DWORD kPeriodWaitMs = 1000;
constexpr DWORD kStreamFlags = AUDCLNT_STREAMFLAGS_EVENTCALLBACK | AUDCLNT_STREAMFLAGS_RATEADJUST;
// Windows 7 and later convert any rate in shared mode when asked; Wine and
// the engine with rate adjustment take the stream's own rate without it.
constexpr DWORD kConvertingStreamFlags =
    AUDCLNT_STREAMFLAGS_EVENTCALLBACK | AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY;
constexpr uint64_t kHundredNanosecondsPerSecond = 10000000;

// What one render thread works with: its own references and handles, so that
// a thread that outlives the bounded wait of a stop still finds them.
struct RenderThreadContext {
    PreviewPlayer* player;
    PlaybackTicket ticket;  // what the thread may read of the player's sound
    IAudioClient* client;
    IAudioRenderClient* renderClient;
    HANDLE stopEvent;
    HANDLE bufferEvent;
    RenderFormat format;
    FeedProgress progress;
};

struct AudioOutput {
    PreviewPlayer* player;
    RenderFormat format;
    uint32_t sampleRate;
    IAudioClient* client;
    IAudioRenderClient* renderClient;
    IAudioClockAdjustment* clockAdjustment;  // requested, never used; null where not offered
    HANDLE bufferEvent;                      // set by the system when a period's space is free
    HANDLE stopEvent;                        // the running playback's
    // The running playback's thread. Its handle is closed once, either by a
    // stop or by the thread at the natural end, whichever takes it from
    // here first under handOver; `playing` changes under the same lock.
    HANDLE renderThread;
    DWORD renderThreadId;
    bool comEntered;
    // What initAudioOutput was asked for: a start without a stream opens it again.
    uint32_t openedRate, openedChannels, openedPeriods, openedFramesPerPeriod;
};

AudioOutput output = {};
SRWLOCK handOver = SRWLOCK_INIT;

void notifyStarted(PreviewPlayer& player) {
    if (player.onStarted) player.onStarted(player.owner);
}

void notifyStopped(PreviewPlayer& player) {
    if (player.onStopped) player.onStopped(player.owner);
}

template <typename Interface>
void releaseInterface(Interface*& object) {
    if (object) object->Release();
    object = nullptr;
}

void closeHandle(HANDLE& handle) {
    if (handle) CloseHandle(handle);
    handle = nullptr;
}

ErrorCode lastSystemError() {
    ErrorCode code = fromSystemError(GetLastError());
    return failed(code) ? code : ErrorCode::Failed;
}

// ---- the device as the feed sees it ------------------------------------------

ErrorCode devicePadding(void* context, uint32_t& frames) {
    UINT32 padding = 0;
    HRESULT result = static_cast<RenderThreadContext*>(context)->client->GetCurrentPadding(&padding);
    if (FAILED(result)) return fromResult(uint32_t(result));
    frames = padding;
    return ErrorCode::Ok;
}

ErrorCode deviceBuffer(void* context, uint32_t frames, float*& data) {
    BYTE* bytes = nullptr;
    HRESULT result = static_cast<RenderThreadContext*>(context)->renderClient->GetBuffer(frames, &bytes);
    if (FAILED(result)) return fromResult(uint32_t(result));
    data = reinterpret_cast<float*>(bytes);
    return ErrorCode::Ok;
}

ErrorCode deviceRelease(void* context, uint32_t frames, bool silent) {
    HRESULT result = static_cast<RenderThreadContext*>(context)->renderClient->ReleaseBuffer(
        frames, silent ? AUDCLNT_BUFFERFLAGS_SILENT : 0);
    return fromResult(uint32_t(result));
}

ErrorCode feed(RenderThreadContext& context) {
    RenderDevice device = {&context, devicePadding, deviceBuffer, deviceRelease};
    RenderSource source = {&context.ticket, fillForPlayback};
    return feedDevice(device, context.format, source, context.progress);
}

void releaseContext(RenderThreadContext* context) {
    releaseInterface(context->renderClient);
    releaseInterface(context->client);
    closeHandle(context->stopEvent);
    closeHandle(context->bufferEvent);
    HeapFree(GetProcessHeap(), 0, context);
}

// ---- the render thread -----------------------------------------------------------

// The device has played the whole sound (or stopped asking for more): the
// thread ends its own playback, unless a stop has already taken it over.
void endFromRenderThread(RenderThreadContext& context) {
    bool wasPlaying = false;
    AcquireSRWLockExclusive(&handOver);
    // Only while this playback is still the running one: a thread that
    // outlived its stop must not stop the stream of the next playback.
    if (output.renderThread && output.renderThreadId == GetCurrentThreadId()) {
        context.client->Stop();
        CloseHandle(output.renderThread);
        output.renderThread = nullptr;
        output.renderThreadId = 0;
        wasPlaying = context.player->playing.exchange(false);
    }
    ReleaseSRWLockExclusive(&handOver);
    if (wasPlaying) notifyStopped(*context.player);
}

DWORD WINAPI renderThreadMain(void* parameter) {
    RenderThreadContext* context = static_cast<RenderThreadContext*>(parameter);
    HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    DWORD taskIndex = 0;
    HANDLE task = AvSetMmThreadCharacteristicsW(L"Audio", &taskIndex);  // without it the sound only risks gaps
    HANDLE events[2] = {context->stopEvent, context->bufferEvent};
    DWORD result = 0;
    for (;;) {
        DWORD woken = WaitForMultipleObjects(2, events, FALSE, kPeriodWaitMs);
        if (woken == WAIT_OBJECT_0) break;
        if (woken == WAIT_OBJECT_0 + 1) {
            feed(*context);  // a failed period is skipped; the next one tries again
            if (!context->progress.finished) continue;
        } else if (woken == WAIT_FAILED) {
            result = 1;
        }
        endFromRenderThread(*context);
        break;
    }
    if (task) AvRevertMmThreadCharacteristics(task);
    releaseContext(context);
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}

// A context for the next playback, holding its own references and a
// duplicate of each event; the stop event is new, so that a thread that
// missed its stop never takes the next playback's.
ErrorCode makeContext(PreviewPlayer& player, RenderThreadContext*& made) {
    RenderThreadContext* context =
        static_cast<RenderThreadContext*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(RenderThreadContext)));
    if (!context) return ErrorCode::OutOfMemory;
    context->player = &player;
    context->ticket = {&player, player.playback.load()};
    context->format = output.format;
    context->client = output.client;
    context->client->AddRef();
    context->renderClient = output.renderClient;
    context->renderClient->AddRef();
    HANDLE process = GetCurrentProcess();
    output.stopEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!output.stopEvent ||
        !DuplicateHandle(process, output.stopEvent, process, &context->stopEvent, 0, FALSE, DUPLICATE_SAME_ACCESS) ||
        !DuplicateHandle(process, output.bufferEvent, process, &context->bufferEvent, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        ErrorCode code = lastSystemError();
        closeHandle(output.stopEvent);
        releaseContext(context);
        return code;
    }
    made = context;
    return ErrorCode::Ok;
}

// ---- opening ----------------------------------------------------------------------

ErrorCode initializeClient(IAudioClient* client, const WAVEFORMATEX& format, REFERENCE_TIME duration) {
    HRESULT result = client->Initialize(AUDCLNT_SHAREMODE_SHARED, kStreamFlags, duration, 0, &format, nullptr);
    if (result == AUDCLNT_E_UNSUPPORTED_FORMAT)
        result = client->Initialize(AUDCLNT_SHAREMODE_SHARED, kConvertingStreamFlags, duration, 0, &format, nullptr);
    return fromResult(uint32_t(result));
}

ErrorCode openDefaultClient(IAudioClient*& client) {
    IMMDeviceEnumerator* enumerator = nullptr;
    HRESULT result = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                      reinterpret_cast<void**>(&enumerator));
    if (FAILED(result)) return fromResult(uint32_t(result));
    IMMDevice* device = nullptr;
    result = enumerator->GetDefaultAudioEndpoint(eRender, eMultimedia, &device);
    enumerator->Release();
    if (FAILED(result)) return fromResult(uint32_t(result));
    result = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client));
    device->Release();
    if (FAILED(result)) {
        client = nullptr;
        return fromResult(uint32_t(result));
    }
    return ErrorCode::Ok;
}

}  // namespace

ErrorCode openAudioStream(PreviewPlayer& player, IAudioClient* client, uint32_t rate, uint32_t channels,
                          uint32_t periods, uint32_t framesPerPeriod) {
    output.client = client;
    output.player = &player;
    if (!client) return ErrorCode::NullPointer;
    if (rate == 0 || channels == 0 || channels > 2) return ErrorCode::InvalidArgument;
    output.format.channels = channels;
    output.format.deviceChannels = channels < 2 ? 2 : channels;

    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    format.nChannels = WORD(output.format.deviceChannels);
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 32;
    format.nBlockAlign = WORD(output.format.deviceChannels * sizeof(float));
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    REFERENCE_TIME duration =
        REFERENCE_TIME(uint64_t(periods) * framesPerPeriod * kHundredNanosecondsPerSecond / rate);
    ErrorCode code = initializeClient(client, format, duration);
    if (failed(code)) return code;
    output.sampleRate = rate;
    UINT32 bufferFrames = 0;
    HRESULT result = client->GetBufferSize(&bufferFrames);
    if (FAILED(result)) return fromResult(uint32_t(result));
    output.format.bufferFrames = bufferFrames;

    output.bufferEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!output.bufferEvent) return lastSystemError();
    result = client->SetEventHandle(output.bufferEvent);
    if (FAILED(result)) return fromResult(uint32_t(result));
    result = client->GetService(__uuidof(IAudioRenderClient), reinterpret_cast<void**>(&output.renderClient));
    if (FAILED(result)) {
        output.renderClient = nullptr;
        return fromResult(uint32_t(result));
    }
    // Not offered everywhere (Wine answers E_NOINTERFACE); nothing depends on it.
    if (FAILED(client->GetService(__uuidof(IAudioClockAdjustment), reinterpret_cast<void**>(&output.clockAdjustment))))
        output.clockAdjustment = nullptr;
    player.outputOpen = true;
    return ErrorCode::Ok;
}

ErrorCode initAudioOutput(PreviewPlayer& player, uint32_t rate, uint32_t channels, uint32_t periods,
                          uint32_t framesPerPeriod) {
    shutdownAudioOutput(player);
    output.openedRate = rate;
    output.openedChannels = channels;
    output.openedPeriods = periods;
    output.openedFramesPerPeriod = framesPerPeriod;
    // The user-interface thread also hosts the file dialogs, which want a
    // single-threaded apartment; the audio objects are free-threaded.
    HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (SUCCEEDED(result))
        output.comEntered = true;
    else if (result != RPC_E_CHANGED_MODE)
        return fromResult(uint32_t(result));
    IAudioClient* client = nullptr;
    ErrorCode code = openDefaultClient(client);
    if (!failed(code)) code = openAudioStream(player, client, rate, channels, periods, framesPerPeriod);
    if (failed(code)) shutdownAudioOutput(player);
    return code;
}

void stopPlayback(PreviewPlayer& player) {
    ++player.playback;  // a thread still inside a period reads nothing more
    if (output.client) output.client->Stop();
    AcquireSRWLockExclusive(&handOver);
    HANDLE thread = output.renderThread;
    output.renderThread = nullptr;
    output.renderThreadId = 0;
    ReleaseSRWLockExclusive(&handOver);
    if (thread) {
        SetEvent(output.stopEvent);
        // Bounded: a thread that misses it still ends at its next wake-up,
        // with references of its own.
        WaitForSingleObject(thread, kStopWaitMs);
        CloseHandle(thread);
    }
    closeHandle(output.stopEvent);
    AcquireSRWLockExclusive(&handOver);
    bool wasPlaying = player.playing.exchange(false);
    ReleaseSRWLockExclusive(&handOver);
    if (wasPlaying) notifyStopped(player);
}

namespace {

ErrorCode startOnce(PreviewPlayer& player, const PreviewSound& source, uint32_t start, uint32_t end) {
    PlayedSpan span = clampPlayedSpan(start, end, publishedSound(source).count);
    if (!output.client || !output.renderClient) return ErrorCode::NoDevice;
    stopPlayback(player);
    player.source = &source;
    player.start = span.start;
    player.end = span.end;
    player.position = span.start;

    HRESULT result = output.client->Reset();
    ErrorCode code = fromResult(uint32_t(result));
    // A period signalled after the last playback's thread left would wake the
    // new thread before the device has asked for anything.
    if (!failed(code) && !ResetEvent(output.bufferEvent)) code = lastSystemError();
    RenderThreadContext* context = nullptr;
    if (!failed(code)) code = makeContext(player, context);
    // The first period is handed over here, before the thread exists: the
    // sound starts with the client, not a period later.
    if (!failed(code)) code = feed(*context);
    DWORD threadId = 0;
    HANDLE thread = nullptr;
    if (!failed(code)) {
        // Suspended until it is recorded as the running playback's, so that
        // its natural end, however early, always finds itself recorded.
        thread = CreateThread(nullptr, 0, renderThreadMain, context, CREATE_SUSPENDED, &threadId);
        if (!thread) code = lastSystemError();
    }
    if (failed(code)) {
        if (context) releaseContext(context);
        shutdownAudioOutput(player);
        return code;
    }
    AcquireSRWLockExclusive(&handOver);
    output.renderThread = thread;
    output.renderThreadId = threadId;
    ReleaseSRWLockExclusive(&handOver);
    result = output.client->Start();
    if (SUCCEEDED(result)) {
        AcquireSRWLockExclusive(&handOver);
        player.playing = true;
        ReleaseSRWLockExclusive(&handOver);
    }
    ResumeThread(thread);
    if (FAILED(result)) {
        code = fromResult(uint32_t(result));
        shutdownAudioOutput(player);  // ends the thread, which has not been woken by the device
        return code;
    }
    // The thread may already have ended a very short playback and told so;
    // the window shows whatever isPlaying says when either news arrives.
    notifyStarted(player);
    return ErrorCode::Ok;
}

}  // namespace

// A device unplugged, or plugged in after the program started, is met at the
// next Play: the output is opened again on whatever is the default now, once.
ErrorCode startPlayback(PreviewPlayer& player, const PreviewSound& source, uint32_t start, uint32_t end) {
    ErrorCode code = startOnce(player, source, start, end);
    if (!failed(code) || output.openedRate == 0) return code;
    if (failed(initAudioOutput(player, output.openedRate, output.openedChannels, output.openedPeriods,
                               output.openedFramesPerPeriod)))
        return ErrorCode::NoDevice;
    return startOnce(player, source, start, end);
}

void shutdownAudioOutput(PreviewPlayer& player) {
    stopPlayback(player);
    releaseInterface(output.renderClient);
    releaseInterface(output.clockAdjustment);
    releaseInterface(output.client);
    closeHandle(output.bufferEvent);
    player.outputOpen = false;
    if (output.comEntered) CoUninitialize();
    output.comEntered = false;
}
