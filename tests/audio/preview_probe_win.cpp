// Drives the real program from outside for the preview capture: finds the
// main window by its caption, presses Space or clicks Play with a posted
// message (a key typed through the X server is lost while Wine has not yet
// made the window active), follows the Play button to "Stop" and back to
// "Play", prints what it saw and the status line ("as before" when the
// preview left it as it was), and closes the window.
// Usage: preview_probe CAPTION space|click
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr ULONGLONG kPatienceMs = 20000;

template <typename Condition>
bool waitUntil(Condition condition) {
    for (ULONGLONG end = GetTickCount64() + kPatienceMs; GetTickCount64() < end; Sleep(1))
        if (condition()) return true;
    return condition();
}

// A control's text, asked of the program's own thread; false while that
// thread does not answer (opening an audio output can keep it busy).
bool readText(HWND window, wchar_t (&text)[128]) {
    DWORD_PTR copied = 0;
    text[0] = 0;
    return SendMessageTimeoutW(window, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000,
                               &copied) != 0;
}

bool textIs(HWND window, const wchar_t* expected) {
    wchar_t text[128];
    return readText(window, text) && wcscmp(text, expected) == 0;
}

bool textIsNot(HWND window, const wchar_t* unexpected) {
    wchar_t text[128];
    return readText(window, text) && wcscmp(text, unexpected) != 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || (wcscmp(argv[2], L"space") != 0 && wcscmp(argv[2], L"click") != 0)) {
        fputs("usage: preview_probe CAPTION space|click\n", stderr);
        return 2;
    }
    HWND window = nullptr, play = nullptr, status = nullptr;
    wchar_t before[128] = {};
    // The card is shown and its instrument selected once Play is enabled. The
    // status line is the control created right after the bank's spin, the
    // last up-down control.
    if (!waitUntil([&] {
            window = FindWindowW(L"CorvaneMain", argv[1]);
            play = window ? FindWindowExW(window, nullptr, L"Button", L"Play") : nullptr;
            HWND bankSpin = nullptr;
            for (HWND spin = nullptr; window && (spin = FindWindowExW(window, spin, L"msctls_updown32", nullptr));)
                bankSpin = spin;
            status = bankSpin ? GetWindow(bankSpin, GW_HWNDNEXT) : nullptr;
            return play && status && IsWindowEnabled(play) && readText(status, before);
        })) {
        puts("no window with that caption, an enabled Play button and a status line");
        return 1;
    }
    // Wine's trace stamps its lines with the same tick count, in seconds.
    DWORD pressed = GetTickCount();
    if (wcscmp(argv[2], L"space") == 0)
        PostMessageW(window, WM_KEYDOWN, VK_SPACE, 1);
    else
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(play));
    printf("pressed at %lu.%03lu\n", pressed / 1000, pressed % 1000);
    // Either the preview plays and ends by itself, or the status line says why not.
    bool started = false;
    waitUntil([&] { return (started = textIs(play, L"Stop")) || textIsNot(status, before); });
    int result = 0;
    if (started) {
        bool ended = waitUntil([&] { return textIs(play, L"Play"); });
        puts(ended ? "Play button: Stop, then Play again" : "Play button: Stop, and still Stop");
        if (!ended) result = 1;
    } else {
        puts("Play button: never Stop");
    }
    wchar_t text[128];
    waitUntil([&] { return readText(status, text); });
    if (wcscmp(text, before) == 0)
        puts("status: as before");
    else
        printf("status: %ls\n", text);
    fflush(stdout);
    PostMessageW(window, WM_CLOSE, 0, 0);
    return result;
}
