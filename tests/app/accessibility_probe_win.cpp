// Reads the real program's custom controls as a screen reader does: from
// another process, through the objects their WM_GETOBJECT hands out, which
// COM marshals across. Prints each knob's and the waveform view's name, role
// and value and the view's children; then steps the Decay knob with Up and
// moves the selected marker with Right (posted keys) and prints the values
// read again.
// Usage: accessibility_probe CAPTION
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <cwchar>

namespace {

// MinGW's import library gives IID_IAccessible as a thunk, not as the GUID.
constexpr GUID kAccessibleInterfaceId = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr ULONGLONG kPatienceMs = 20000;

template <typename Condition>
bool waitUntil(Condition condition) {
    for (ULONGLONG end = GetTickCount64() + kPatienceMs; GetTickCount64() < end; Sleep(5))
        if (condition()) return true;
    return condition();
}

VARIANT child(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// A text property, "-" when there is none.
void text(IAccessible* object, LONG id, HRESULT (STDMETHODCALLTYPE IAccessible::*property)(VARIANT, BSTR*),
          wchar_t (&out)[128]) {
    BSTR value = nullptr;
    wcscpy(out, L"-");
    if ((object->*property)(child(id), &value) == S_OK && value) {
        swprintf(out, 128, L"%ls", value);
        SysFreeString(value);
    }
}

const wchar_t* roleName(IAccessible* object, LONG id) {
    VARIANT role;
    VariantInit(&role);
    if (object->get_accRole(child(id), &role) != S_OK || role.vt != VT_I4) return L"-";
    switch (role.lVal) {
    case ROLE_SYSTEM_SLIDER: return L"slider";
    case ROLE_SYSTEM_GRAPHIC: return L"graphic";
    case ROLE_SYSTEM_GROUPING: return L"grouping";
    case ROLE_SYSTEM_INDICATOR: return L"indicator";
    case ROLE_SYSTEM_CLIENT: return L"client";
    default: return L"other";
    }
}

void describe(const wchar_t* what, IAccessible* object, LONG id) {
    wchar_t name[128], value[128];
    text(object, id, &IAccessible::get_accName, name);
    text(object, id, &IAccessible::get_accValue, value);
    printf("%ls: %ls, %ls, %ls\n", what, name, roleName(object, id), value);
}

IAccessible* objectOf(HWND control) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, DWORD(OBJID_CLIENT), kAccessibleInterfaceId,
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

// The value of child `id`, read until it is no longer `before`.
bool valueChanges(IAccessible* object, LONG id, const wchar_t (&before)[128]) {
    return waitUntil([&] {
        wchar_t now[128];
        text(object, id, &IAccessible::get_accValue, now);
        return wcscmp(now, before) != 0;
    });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        fputs("usage: accessibility_probe CAPTION\n", stderr);
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
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
    IAccessible* decayObject = objectOf(decay);
    IAccessible* boostObject = objectOf(boost);
    IAccessible* viewObject = objectOf(view);
    if (!decayObject || !boostObject || !viewObject) {
        puts("no accessible object from another process");
        return 1;
    }
    describe(L"knob", decayObject, CHILDID_SELF);
    describe(L"knob", boostObject, CHILDID_SELF);
    describe(L"view", viewObject, CHILDID_SELF);
    LONG children = 0;
    viewObject->get_accChildCount(&children);
    for (LONG id = 1; id <= children; ++id) describe(L"marker", viewObject, id);

    int result = 0;
    wchar_t before[128];
    text(decayObject, CHILDID_SELF, &IAccessible::get_accValue, before);
    PostMessageW(decay, WM_KEYDOWN, VK_UP, 1);
    if (!valueChanges(decayObject, CHILDID_SELF, before)) result = 1;
    describe(L"after Up", decayObject, CHILDID_SELF);

    if (children >= 2) {
        text(viewObject, 2, &IAccessible::get_accValue, before);
        PostMessageW(view, WM_CHAR, 'e', 1);  // the end marker, by its label
        PostMessageW(view, WM_KEYDOWN, VK_LEFT, 1);
        PostMessageW(view, WM_KEYUP, VK_LEFT, 0xC0000001);
        if (!valueChanges(viewObject, 2, before)) result = 1;
        describe(L"after E, Left", viewObject, 2);
    } else {
        result = 1;
    }
    decayObject->Release();
    boostObject->Release();
    viewObject->Release();
    fflush(stdout);
    CoUninitialize();
    return result;
}
