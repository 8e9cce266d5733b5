// Reads the real program's custom controls as a screen reader does: from
// another process, through the objects their WM_GETOBJECT hands out, which
// COM marshals across. Prints each knob's and the waveform view's name, role
// and value and the view's children; then steps the Decay knob with Up and
// moves the selected marker with Right (posted keys) and prints the values
// read again.
// Usage: accessibility_probe CAPTION
#include <windows.h>

#include <cstdio>
#include <string>

#include "controls/accessible_reading_win.h"

namespace {

constexpr ULONGLONG kPatienceMs = 20000;

template <typename Condition>
bool waitUntil(Condition condition) {
    for (ULONGLONG end = GetTickCount64() + kPatienceMs; GetTickCount64() < end; Sleep(5))
        if (condition()) return true;
    return condition();
}

const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

const wchar_t* roleName(LONG role) {
    switch (role) {
    case ROLE_SYSTEM_SLIDER: return L"slider";
    case ROLE_SYSTEM_GRAPHIC: return L"graphic";
    case ROLE_SYSTEM_GROUPING: return L"grouping";
    case ROLE_SYSTEM_INDICATOR: return L"indicator";
    case ROLE_SYSTEM_CLIENT: return L"client";
    case -1: return L"-";
    default: return L"other";
    }
}

void describe(const wchar_t* what, const AccessibleReader& reader, LONG id) {
    printf("%ls: %ls, %ls, %ls\n", what, wide(reader.name(id)), roleName(reader.role(id)), wide(reader.value(id)));
}

// The value of child `id`, read until it is no longer what it was.
bool valueChanges(const AccessibleReader& reader, LONG id, const std::u16string& before) {
    return waitUntil([&] { return reader.value(id) != before; });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        fputs("usage: accessibility_probe CAPTION\n", stderr);
        return 2;
    }
    HWND window = nullptr, decay = nullptr, boost = nullptr, view = nullptr;
    // The card is shown once the knobs are enabled.
    if (!waitUntil([&] {
            window = FindWindowW(L"CorvaneMain", argv[1]);
            decay = window ? FindWindowExW(window, nullptr, L"VXRotaryKnob", L"Decay") : nullptr;
            boost = window ? FindWindowExW(window, nullptr, L"VXRotaryKnob", L"Boost") : nullptr;
            view = window ? FindWindowExW(window, nullptr, L"VXWaveformView", nullptr) : nullptr;
            return decay && boost && view && IsWindowEnabled(decay);
        })) {
        puts("no window with that caption, enabled knobs and a waveform view");
        return 1;
    }
    AccessibleReader decayReader(decay), boostReader(boost), viewReader(view);
    if (!decayReader.object || !boostReader.object || !viewReader.object) {
        puts("no accessible object from another process");
        return 1;
    }
    describe(L"knob", decayReader, CHILDID_SELF);
    describe(L"knob", boostReader, CHILDID_SELF);
    describe(L"view", viewReader, CHILDID_SELF);
    LONG children = viewReader.children();
    for (LONG id = 1; id <= children; ++id) describe(L"marker", viewReader, id);

    int result = 0;
    std::u16string before = decayReader.value();
    PostMessageW(decay, WM_KEYDOWN, VK_UP, 1);
    if (!valueChanges(decayReader, CHILDID_SELF, before)) result = 1;
    describe(L"after Up", decayReader, CHILDID_SELF);

    if (children >= 2) {
        before = viewReader.value(2);
        PostMessageW(view, WM_CHAR, 'e', 1);  // the end marker, by its label
        PostMessageW(view, WM_KEYDOWN, VK_LEFT, 1);
        PostMessageW(view, WM_KEYUP, VK_LEFT, 0xC0000001);
        if (!valueChanges(viewReader, 2, before)) result = 1;
        describe(L"after E, Left", viewReader, 2);
    } else {
        result = 1;
    }
    fflush(stdout);
    return result;
}
