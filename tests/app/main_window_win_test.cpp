// The real main window driven with the messages the user's actions produce. It is
// created once for the whole program: a top-level window takes seconds to appear under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <dbt.h>
#include <gdiplus.h>
#include <shlobj.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <functional>
#include <set>
#include <tuple>

#include "app/main_commands_win.h"
#include "app/main_refresh_win.h"
#include "app/main_window_win.h"
#include "app/message_loop_win.h"
#include "app/remembered_options_win.h"
#include "app/program_state.h"
#include "app/resource_ids.h"
#include "cardfile/card_file.h"
#include "app/user_dialogs_win.h"
#include "corvane_version.h"
#include "app/version_resource_win.h"
#include "controls/high_contrast_win.h"
#include "controls/knob_geometry.h"
#include "controls/rotary_knob_win.h"
#include "controls/waveform_view_win.h"
#include "import/sample_files.h"
#include "simulated_card_writer.h"
#include "test_files.h"
#include "transfer/card_image.h"

namespace {

using Entries = std::vector<std::u16string>;

// What the window's dialogs answer, and what they were asked.
struct ScriptedDialogs {
    std::deque<SaveAnswer> saveAnswers;
    std::deque<std::string> files;  // chosen in the open and save dialogs, UTF-8; "" cancels
    Entries errors;
} scripted;
SimulatedUsb simulatedUsb;

template <typename T>
T takeFirst(std::deque<T>& queue, T otherwise, const char* dialog) {
    if (queue.empty()) {
        ADD_FAILURE() << dialog << " came unexpectedly";
        return otherwise;
    }
    T first = queue.front();
    queue.pop_front();
    return first;
}

bool answerWithFile(PathBuffer& path) {
    std::string file = takeFirst(scripted.files, std::string(), "a file dialog");
    assignText(path, viewOf(file));
    return !file.empty();
}

const UserDialogs kScriptedDialogs = {
    nullptr,
    [](void*) { return takeFirst(scripted.saveAnswers, SaveAnswer::Cancel, "the save question"); },
    [](void*, Utf16View text) { scripted.errors.emplace_back(text.units, text.length); },
    [](void*, FileKind, PathBuffer& path) { return answerWithFile(path); },
    [](void*, PathBuffer& path) { return answerWithFile(path); },
    [](void*, ChosenFiles& files) {
        files.count = answerWithFile(files.paths[0]) ? 1 : 0;
        files.beyond = 0;
        return files.count != 0;
    },
};

// Runs the queued messages through the program's own loop step.
void pumpMessages(HACCEL accelerators = nullptr) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message != WM_QUIT) handleLoopMessage(message, accelerators);
}

void openMainWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    buildApplicationTitle(applicationTitle, instance);
    terminateTextCutting(applicationTitle);
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    registerMainWindowClass(instance);
    registerRotaryKnobClass(instance);
    registerWaveformViewClass(instance);
    HWND window = createMainWindow(instance, {&simulatedUsb.transport(), &kScriptedDialogs});
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    pumpMessages();
}

// Pumps until the transfer has ended, or about ten seconds pass.
bool transferEnds() {
    for (ULONGLONG end = GetTickCount64() + 10000; GetTickCount64() < end;) {
        pumpMessages();
        if (!transferJob.busy) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return false;
}

HWND control(Control which) { return controlWindow(which); }
LRESULT query(Control which, UINT message) { return SendMessageW(control(which), message, 0, 0); }

std::u16string textOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}
std::u16string caption() { return textOf(mainWindow.window); }
const std::u16string kUnnamed = u"Corvane v" CORVANE_VERSION u" - Unnamed";

Entries listEntries() {
    Entries entries;
    for (LRESULT i = 0; i < query(Control::InstrumentList, LB_GETCOUNT); ++i) {
        wchar_t text[64] = {};
        SendMessageW(control(Control::InstrumentList), LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        entries.emplace_back(reinterpret_cast<const char16_t*>(text));
    }
    return entries;
}
int32_t selectedEntry() { return int32_t(query(Control::InstrumentList, LB_GETCURSEL)); }

void selectEntry(int32_t index) {
    HWND list = control(Control::InstrumentList);
    SetFocus(list);
    SendMessageW(list, LB_SETCURSEL, WPARAM(index), 0);
    // What the list tells its parent when the user picks an entry.
    SendMessageW(mainWindow.window, WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    pumpMessages();
}

void click(Control button, bool thenPump = true) {
    SendMessageW(mainWindow.window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(control(button)));
    if (thenPump) pumpMessages();
}

void menuCommand(WORD command) {
    SendMessageW(mainWindow.window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    pumpMessages();
}

// Types the text into the field: the control itself tells the window.
void typeInto(Control field, const wchar_t* text) {
    SetWindowTextW(control(field), text);
    pumpMessages();
}

// A key pressed where the focus is, with Shift, Alt or Ctrl held, posted as Windows
// delivers it (Alt makes it a system key) and run through the program's loop.
enum Held : unsigned { kNoKey = 0, kShift = 1, kAlt = 2, kCtrl = 4 };
void pressKeyOnFocus(WPARAM key, unsigned held = kNoKey, LPARAM repeat = 1, HACCEL accelerators = nullptr) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = held & kShift ? 0x80 : 0;
    keys[VK_MENU] = held & kAlt ? 0x80 : 0;
    keys[VK_CONTROL] = held & kCtrl ? 0x80 : 0;
    SetKeyboardState(keys);
    if (held & kAlt)
        PostMessageW(GetFocus(), WM_SYSKEYDOWN, key, repeat | 1 << 29);
    else
        PostMessageW(GetFocus(), WM_KEYDOWN, key, repeat);
    pumpMessages(accelerators);
    keys[VK_SHIFT] = keys[VK_MENU] = keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}
void releaseKeyOnFocus(WPARAM key) {
    PostMessageW(GetFocus(), WM_KEYUP, key, LPARAM(1) | LPARAM(3) << 30);
    pumpMessages();
}
// Opens the knob's value entry with a click on its value and types into it,
// leaving it open; false when no entry opened.
bool typeIntoKnob(Control which, const wchar_t* digits) {
    HWND knob = control(which);
    RECT client;
    GetClientRect(knob, &client);
    FloatRect value = layoutKnob(client.right, client.bottom, 96).value;
    LPARAM onValue = MAKELPARAM(int(value.x + value.width / 2), int(value.y + value.height / 2));
    PostMessageW(knob, WM_LBUTTONDOWN, MK_LBUTTON, onValue);
    PostMessageW(knob, WM_LBUTTONUP, 0, onValue);
    pumpMessages();
    HWND entry = FindWindowExW(knob, nullptr, L"Edit", nullptr);
    if (!entry || GetFocus() != entry) return false;
    SendMessageW(entry, EM_SETSEL, 0, -1);
    for (const wchar_t* c = digits; *c; ++c) PostMessageW(entry, WM_CHAR, *c, 1);
    pumpMessages();
    return true;
}
void typeOnFocus(wchar_t character) {
    PostMessageW(GetFocus(), WM_CHAR, character, 1);
    pumpMessages();
}
void pressKey(Control focus, WPARAM key) {
    SetFocus(control(focus));
    pressKeyOnFocus(key);
}

// Keys typed one by one into a field, its text selected first.
void typeKeys(Control field, const wchar_t* keys) {
    SetFocus(control(field));
    SendMessageW(control(field), EM_SETSEL, 0, -1);
    for (const wchar_t* key = keys; *key; ++key) PostMessageW(control(field), WM_CHAR, *key, 1);
    pumpMessages();
}

void enterInto(Control field, const wchar_t* keys) {
    typeKeys(field, keys);
    pressKey(field, VK_RETURN);
}

// A control's rectangle in the main window's client coordinates.
RECT placeOf(Control which) {
    RECT r;
    GetWindowRect(control(which), &r);
    MapWindowPoints(nullptr, mainWindow.window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Drops the files on the main window at a client point, as the shell does:
// a DROPFILES block in global memory sent with WM_DROPFILES.
void dropFiles(Control onto, const std::vector<std::string>& utf8Paths) {
    std::wstring names;
    for (const std::string& path : utf8Paths) {
        wchar_t wide[1024] = {};
        MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide, 1024);
        names += wide;
        names += L'\0';
    }
    names += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    RECT target = placeOf(onto);
    files->pt = {(target.left + target.right) / 2, (target.top + target.bottom) / 2};
    files->fWide = TRUE;
    memcpy(files + 1, names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    SendMessageW(mainWindow.window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);  // the window frees it
    pumpMessages();
}

// A mono WAV at the working rate, so the instrument gets exactly `frames` samples.
void writeToneFile(const std::string& path, uint32_t frames) {
    using namespace sample_files;
    std::vector<int16_t> values(frames);
    for (uint32_t i = 0; i < frames; ++i)
        values[i] = int16_t(20000.0 * std::exp(-double(i) / frames * 3) * std::sin(i * 0.05));
    writeFileBytes(path, wav::withData(wav::format(1, 1, kWorkingSampleRate, 16), wav::s16(values)));
}

uint32_t markerPosition(uint16_t marker) {
    return uint32_t(SendMessageW(control(Control::WaveformView), WV_GETMARKERPOS, marker, 0));
}

std::pair<int, int> spinRange(Control spin) {
    int low = 0, high = 0;
    SendMessageW(control(spin), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    return {low, high};
}

void releaseMarker(uint16_t marker, uint32_t position, bool stillHeld) {
    MarkerNotification moved = {position, marker, uint8_t(stillHeld), 0};
    SendMessageW(mainWindow.window, WN_MARKERMOVED, reinterpret_cast<WPARAM>(&moved),
                 reinterpret_cast<LPARAM>(control(Control::WaveformView)));
    pumpMessages();
}

// What a knob tells the window when its value is set by a drag (still held) or typing.
void turnKnob(Control knob, double value, bool dragging = false) {
    KnobNotification changed = {value, dragging};
    SendMessageW(mainWindow.window, KN_VALUECHANGED, reinterpret_cast<WPARAM>(&changed),
                 reinterpret_cast<LPARAM>(control(knob)));
}

// Keys pressed on a knob that has the focus; the knob tells the window.
void pressOnKnob(Control knob, WPARAM key, int repeat) {
    SetFocus(control(knob));
    SendMessageW(control(knob), WM_KEYDOWN, key, repeat);
    pumpMessages();
}

// How many of the control's pixels, as they are on the screen, pass the test.
template <typename Test>
int pixelsShownWhere(Control which, Test test) {
    HWND window = control(which);
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    int count = 0;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            count += test(GetRValue(c), GetGValue(c), GetBValue(c));
        }
    ReleaseDC(window, dc);
    return count;
}
// The same, painted now.
template <typename Test>
int pixelsWhere(Control which, Test test) {
    RedrawWindow(control(which), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages();
    return pixelsShownWhere(which, test);
}
bool isRed(int r, int g, int b) { return r > 150 && g < 90 && b < 90; }
int redPixels(Control which) { return pixelsWhere(which, isRed); }
// The decay envelope's steel-blue fill over the waveform.
int envelopePixels() {
    return pixelsWhere(Control::WaveformView, [](int r, int, int b) { return b > r + 40; });
}

// The drag list's notification with the cursor in the middle of an entry, or
// left of the list for -1.
LRESULT drag(UINT notification, int32_t entry) {
    HWND list = control(Control::InstrumentList);
    RECT item = {-40, 0, -20, 10};
    if (entry >= 0) SendMessageW(list, LB_GETITEMRECT, WPARAM(entry), reinterpret_cast<LPARAM>(&item));
    DRAGLISTINFO info = {notification, list, {(item.left + item.right) / 2, (item.top + item.bottom) / 2}};
    ClientToScreen(list, &info.ptCursor);
    LRESULT result = SendMessageW(mainWindow.window, mainWindow.dragListMessage, 0, reinterpret_cast<LPARAM>(&info));
    pumpMessages();
    return result;
}

bool playing() { return textOf(control(Control::PlayButton)) == u"Stop"; }

// The card writers plugged in or out: the window lists them again.
void rescanWriters() { SendMessageW(mainWindow.window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0); }

std::pair<LONG, LONG> clientSize() {
    RECT client;
    GetClientRect(mainWindow.window, &client);
    return {client.right, client.bottom};
}

std::pair<uint32_t, uint32_t> visibleSamples() {
    VisibleSamples shown = {};
    SendMessageW(control(Control::WaveformView), WV_GETVISIBLE, reinterpret_cast<WPARAM>(&shown), 0);
    return {shown.first, shown.count};
}

UINT menuState(UINT command) { return GetMenuState(GetMenu(mainWindow.window), command, MF_BYCOMMAND); }
bool menuChecked(UINT command) { return menuState(command) & MF_CHECKED; }
bool menuEnabled(UINT command) { return !(menuState(command) & (MF_GRAYED | MF_DISABLED)); }

struct MainWindowTest : ::testing::Test {
    ScratchFolder folder;

    static void SetUpTestSuite() {
        if (!mainWindow.window) openMainWindow();
    }
    void SetUp() override {
        ASSERT_NE(mainWindow.window, nullptr);
        // An empty card, whatever the last test left.
        cardDocument.modified = false;
        scripted = {};
        menuCommand(kCommandNew);
    }
    void TearDown() override {
        EXPECT_TRUE(scripted.saveAnswers.empty()) << "a save question was not asked";
        EXPECT_TRUE(scripted.files.empty()) << "a file dialog was not shown";
    }
    // A tone of `frames` samples dropped on the list: the instrument the edits work on.
    void dropTone(uint32_t frames) {
        std::string path = folder.file("tone.wav");
        writeToneFile(path, frames);
        dropFiles(Control::InstrumentList, {path});
    }
};

}  // namespace

TEST_F(MainWindowTest, PlusAddsUpToEightAndMinusSelectsTheEntryBefore) {
    for (int press = 1; press <= 9; ++press) {
        click(Control::AddButton);
        EXPECT_EQ(IsWindowEnabled(control(Control::AddButton)) != 0, press < 8) << "after press " << press;
    }
    EXPECT_EQ(listEntries().size(), 8u);
    EXPECT_EQ(selectedEntry(), 7);
    EXPECT_EQ(caption(), kUnnamed + u"*");

    scripted.saveAnswers = {SaveAnswer::No};
    menuCommand(kCommandNew);
    for (int press = 0; press < 3; ++press) click(Control::AddButton);
    selectEntry(0);
    click(Control::RemoveButton);
    EXPECT_EQ(listEntries(), (Entries{u"Inst 2", u"Inst 3"}));
    EXPECT_EQ(selectedEntry(), 0);
    EXPECT_EQ(textOf(control(Control::InstNameEdit)), u"Inst 2");
    selectEntry(1);
    click(Control::RemoveButton);
    EXPECT_EQ(selectedEntry(), 0);
    click(Control::RemoveButton);
    EXPECT_TRUE(listEntries().empty());
    EXPECT_EQ(selectedEntry(), -1);
    EXPECT_EQ(textOf(control(Control::InstNameEdit)), u"");
    EXPECT_FALSE(IsWindowEnabled(control(Control::RemoveButton)));
    EXPECT_FALSE(IsWindowEnabled(control(Control::PlayButton)));
    EXPECT_TRUE(GetWindowLongW(control(Control::StartEdit), GWL_STYLE) & ES_READONLY);
    click(Control::RemoveButton);  // nothing left to remove
    EXPECT_TRUE(listEntries().empty());
}

TEST_F(MainWindowTest, StartAndEndMoveTheMarkersAndLimitEachOther) {
    dropTone(5000);
    ASSERT_EQ(cardDocument.instruments.count, 1u);
    Instrument& tone = cardDocument.instruments.items[0];
    EXPECT_EQ(markerPosition(0), 0u);
    EXPECT_EQ(markerPosition(1), 5000u);

    enterInto(Control::StartEdit, L"1000");
    EXPECT_EQ(tone.start, 1000u);
    EXPECT_EQ(markerPosition(0), 1000u);
    EXPECT_EQ(spinRange(Control::EndSpin), std::make_pair(1000, 5000));

    enterInto(Control::EndEdit, L"3000");
    EXPECT_EQ(tone.end, 3000u);
    EXPECT_EQ(markerPosition(1), 3000u);
    EXPECT_EQ(spinRange(Control::StartSpin), std::make_pair(0, 3000));
    // The window gives the view the end as the start marker's limit.
    SendMessageW(control(Control::WaveformView), WV_SETMARKERPOS, 0, 4000);
    EXPECT_EQ(markerPosition(0), 3000u);
    SendMessageW(control(Control::WaveformView), WV_SETMARKERPOS, 0, 1000);

    // Markers count when they are let go.
    releaseMarker(0, 2000, true);
    EXPECT_NE(tone.start, 2000u);
    releaseMarker(0, 2000, false);
    EXPECT_EQ(tone.start, 2000u);
    EXPECT_EQ(textOf(control(Control::StartEdit)), u"2000");
    EXPECT_EQ(spinRange(Control::EndSpin), std::make_pair(2000, 5000));
    cardDocument.modified = false;
    releaseMarker(0, 2000, false);  // let go where it was
    EXPECT_FALSE(cardDocument.modified);
    releaseMarker(1, 4500, false);
    EXPECT_TRUE(cardDocument.modified);
    EXPECT_EQ(tone.end, 4500u);
    EXPECT_EQ(textOf(control(Control::EndEdit)), u"4500");
    EXPECT_EQ(spinRange(Control::StartSpin), std::make_pair(0, 4500));
    // 2500 samples take three blocks behind the header, and the decay of 8
    // blocks outlasts them by a silent block.
    EXPECT_EQ(textOf(control(Control::CardSizeValue)), u"5120 Byte");
}

TEST_F(MainWindowTest, KnobsStoreWholeDecayAndBoost) {
    dropTone(40000);
    Instrument& tone = cardDocument.instruments.items[0];
    uint8_t decay = tone.decay;
    ASSERT_GT(decay, 3);
    scripted.files = {folder.file("Tone.vxcor")};
    menuCommand(kCommandSaveAs);
    turnKnob(Control::DecayKnob, decay);  // a click that moved nothing: no change to save
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - Tone");

    pressOnKnob(Control::BoostKnob, VK_UP, 3);
    EXPECT_EQ(tone.boost, 3);
    pressOnKnob(Control::BoostKnob, VK_UP, 30);  // held at the knob's top
    EXPECT_EQ(tone.boost, kMaxBoost);
    pressOnKnob(Control::DecayKnob, VK_DOWN, 2);
    EXPECT_EQ(tone.decay, decay - 2);
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - Tone*");
    pressOnKnob(Control::DecayKnob, VK_UP, 300);  // the window gives the knob the whole range
    EXPECT_EQ(tone.decay, kMaxDecay);

    // Selecting the instrument again shows what was stored.
    selectEntry(0);
    double shown = 0;
    SendMessageW(control(Control::BoostKnob), KM_GETVALUE, reinterpret_cast<WPARAM>(&shown), 0);
    EXPECT_EQ(shown, 10.0);
}

// The overfull free memory shows in red, or in a high-contrast theme in the
// theme's own highlight colours; a change of theme or colours repaints what
// the window draws, and its own controls are told.
TEST_F(MainWindowTest, FreeMemoryStandsOutWhenTheCardOverflowsInRedOrTheThemesColours) {
    dropTone(65536);  // the whole card behind the header
    pressOnKnob(Control::DecayKnob, VK_DOWN, 300);  // no silent block behind a shorter end
    EXPECT_EQ(textOf(control(Control::FreeMemoryValue)), u"-1024 Byte");
    EXPECT_GT(redPixels(Control::FreeMemoryValue), 20);
    EXPECT_EQ(redPixels(Control::CardSizeValue), 0);

    auto ofColour = [](int index) {
        COLORREF wanted = GetSysColor(index);
        return [wanted](int r, int g, int b) { return RGB(r, g, b) == wanted; };
    };
    RECT value;
    GetClientRect(control(Control::FreeMemoryValue), &value);
    int told = 0;  // the colour changes the waveform view hears of
    auto counter = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR count) {
        if (message == WM_SYSCOLORCHANGE || message == WM_SETTINGCHANGE) ++*reinterpret_cast<int*>(count);
        return DefSubclassProc(window, message, wParam, lParam);
    };
    HWND view = control(Control::WaveformView);
    SetWindowSubclass(view, counter, 1, reinterpret_cast<DWORD_PTR>(&told));
    setHighContrastSource(HighContrastSource::ForcedOn);
    SendMessageW(mainWindow.window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);  // the system tells the top window
    pumpMessages();
    EXPECT_GT(pixelsShownWhere(Control::FreeMemoryValue, ofColour(COLOR_HIGHLIGHT)), value.right * value.bottom / 2);
    EXPECT_GT(pixelsShownWhere(Control::FreeMemoryValue, ofColour(COLOR_HIGHLIGHTTEXT)), 20);  // the text
    EXPECT_EQ(redPixels(Control::FreeMemoryValue), 0);
    EXPECT_EQ(told, 1);
    setHighContrastSource(HighContrastSource::System);
    SendMessageW(mainWindow.window, WM_SYSCOLORCHANGE, 0, 0);
    pumpMessages();
    EXPECT_GT(pixelsShownWhere(Control::FreeMemoryValue, isRed), 20);
    EXPECT_EQ(told, 2);
    RemoveWindowSubclass(view, counter, 1);

    enterInto(Control::EndEdit, L"64512");
    EXPECT_EQ(textOf(control(Control::CardSizeValue)), u"65536 Byte");
    EXPECT_EQ(textOf(control(Control::FreeMemoryValue)), u"0 Byte");
    EXPECT_EQ(redPixels(Control::FreeMemoryValue), 0);
}

TEST_F(MainWindowTest, DraggingAnEntryMovesItsInstrument) {
    click(Control::AddButton);
    EXPECT_EQ(drag(DL_BEGINDRAG, 0), FALSE);  // one entry cannot be dragged
    click(Control::AddButton);
    click(Control::AddButton);
    cardDocument.modified = false;

    // The first entry onto the empty place behind the last.
    EXPECT_EQ(drag(DL_BEGINDRAG, 0), TRUE);
    EXPECT_EQ(drag(DL_DRAGGING, 1), DL_MOVECURSOR);
    EXPECT_EQ(listEntries().size(), 4u);  // the placeholder
    drag(DL_DROPPED, 3);
    EXPECT_EQ(listEntries(), (Entries{u"Inst 2", u"Inst 3", u"Inst 1"}));
    EXPECT_EQ(selectedEntry(), 2);
    EXPECT_EQ(textOf(control(Control::InstNameEdit)), u"Inst 1");
    EXPECT_TRUE(cardDocument.modified);

    // Onto itself and onto the entry right behind it: nothing moves.
    cardDocument.modified = false;
    for (int32_t target : {1, 2}) {
        drag(DL_BEGINDRAG, 1);
        drag(DL_DRAGGING, target);
        drag(DL_DROPPED, target);
    }
    drag(DL_BEGINDRAG, 0);
    drag(DL_DRAGGING, 2);
    drag(DL_CANCELDRAG, 2);
    EXPECT_EQ(listEntries(), (Entries{u"Inst 2", u"Inst 3", u"Inst 1"}));
    EXPECT_FALSE(cardDocument.modified);
}

// Start and End take a typed number when it is committed (Enter, leaving the
// field, a step of its spin), never while it is typed; one beyond the field's
// range counts as the nearest end of it. The field, the marker and the
// instrument then agree.
TEST_F(MainWindowTest, ATypedStartOrEndCountsWhenCommittedHeldToItsRange) {
    dropTone(15163);
    const Instrument& tone = cardDocument.instruments.items[0];
    auto shown = [&](Control field, uint16_t marker) {
        uint32_t stored = field == Control::StartEdit ? tone.start : tone.end;
        std::string text = std::to_string(stored);
        EXPECT_EQ(textOf(control(field)), std::u16string(text.begin(), text.end()));
        EXPECT_EQ(markerPosition(marker), stored);
        return stored;
    };
    typeKeys(Control::EndEdit, L"10000");
    EXPECT_EQ(tone.end, 15163u);  // half typed, as far as the window knows
    pressKey(Control::EndEdit, VK_RETURN);
    EXPECT_EQ(shown(Control::EndEdit, 1), 10000u);
    typeKeys(Control::EndEdit, L"99999");
    pressKey(Control::EndEdit, VK_DOWN);  // a step of the spin, from the typed number
    EXPECT_EQ(shown(Control::EndEdit, 1), 15162u);
    enterInto(Control::EndEdit, L"99999");
    EXPECT_EQ(shown(Control::EndEdit, 1), 15163u);  // the sample count
    EXPECT_EQ(spinRange(Control::StartSpin), std::make_pair(0, 15163));

    typeKeys(Control::StartEdit, L"20000");
    pressKey(Control::StartEdit, VK_TAB);
    EXPECT_NE(GetFocus(), control(Control::StartEdit));
    EXPECT_EQ(shown(Control::StartEdit, 0), 15163u);  // the end
    typeKeys(Control::StartEdit, L"\b");  // no number at all
    SetFocus(control(Control::InstrumentList));
    pumpMessages();
    EXPECT_EQ(shown(Control::StartEdit, 0), 15163u);
    // Escape abandons a number, and nothing of it counts.
    cardDocument.modified = false;
    typeKeys(Control::StartEdit, L"9999");
    pressKey(Control::StartEdit, VK_ESCAPE);
    EXPECT_EQ(shown(Control::StartEdit, 0), 15163u);
    SetFocus(control(Control::InstrumentList));
    pumpMessages();
    EXPECT_EQ(shown(Control::StartEdit, 0), 15163u);
    EXPECT_FALSE(cardDocument.modified);

    // A command from the menu leaves the focus in the field: what is typed there is saved.
    typeKeys(Control::StartEdit, L"12000");
    scripted.files = {folder.file("typed.vxcor")};
    menuCommand(kCommandSaveAs);
    EXPECT_EQ(shown(Control::StartEdit, 0), 12000u);
    EXPECT_FALSE(cardDocument.modified);

    // A click on another entry, whose list box may select it before the field loses the focus.
    dropTone(15163);
    selectEntry(0);
    typeKeys(Control::StartEdit, L"700");
    SendMessageW(control(Control::InstrumentList), LB_SETCURSEL, 1, 0);
    selectEntry(1);  // the focus goes first, then the selection is told
    EXPECT_EQ(cardDocument.instruments.items[0].start, 700u);
    EXPECT_EQ(cardDocument.instruments.items[1].start, 0u);
}

// The list box may move its highlight under the cursor during a drag without
// telling the window (Windows need not send a selection change at the end).
// However a drag ends without a move, the entry that was taken is selected
// and shown, and the next edit goes to the instrument the controls show.
TEST_F(MainWindowTest, ADragThatMovesNothingLeavesTheTakenEntrySelectedAndShown) {
    for (int i = 0; i < 3; ++i) click(Control::AddButton);
    for (uint8_t i = 0; i < 3; ++i) cardDocument.instruments.items[i].decay = uint8_t(10 * (i + 1));
    auto highlight = [](int32_t entry) {
        SendMessageW(control(Control::InstrumentList), LB_SETCURSEL, WPARAM(entry), 0);
    };
    // Entry 2 taken while entry 1 is shown, the list highlighting what is under the cursor.
    struct End {
        int32_t over, at;
        UINT notification;
    };
    for (End end : {End{1, 1, DL_DROPPED}, End{3, 3, DL_CANCELDRAG}, End{2, -1, DL_DROPPED}}) {
        selectEntry(0);
        drag(DL_BEGINDRAG, 1);
        highlight(1);
        drag(DL_DRAGGING, end.over);
        highlight(end.over);
        drag(end.notification, end.at);
        EXPECT_EQ(selectedEntry(), 1) << "ended at " << end.at;
        EXPECT_EQ(textOf(control(Control::InstNameEdit)), u"Inst 2") << "ended at " << end.at;
    }
    pressOnKnob(Control::DecayKnob, VK_UP, 1);
    std::vector<int> decays;
    for (uint32_t i = 0; i < 3; ++i) decays.push_back(cardDocument.instruments.items[i].decay);
    EXPECT_EQ(decays, (std::vector<int>{10, 21, 30}));
    EXPECT_EQ(listEntries(), (Entries{u"Inst 1", u"Inst 2", u"Inst 3"}));
}

// Counts the reads of one page while it lives: the page is a guard page, whose
// first touch the handler below counts and lets through.
struct WatchedPage {
    static inline LONG reads = 0;
    static inline void* page = nullptr;
    void* handler;
    WatchedPage() {
        page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        handler = AddVectoredExceptionHandler(1, [](EXCEPTION_POINTERS* exception) -> LONG {
            const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
            ULONG_PTR offset = record.ExceptionInformation[1] - reinterpret_cast<ULONG_PTR>(page);
            if (record.ExceptionCode != STATUS_GUARD_PAGE_VIOLATION || offset >= 4096) return EXCEPTION_CONTINUE_SEARCH;
            ++reads;
            return EXCEPTION_CONTINUE_EXECUTION;  // the system took the guard off
        });
    }
    ~WatchedPage() {
        RemoveVectoredExceptionHandler(handler);
        VirtualFree(page, 0, MEM_RELEASE);
    }
    // Reads of the page while the message is handled.
    LONG readsDuring(UINT message, LPARAM sender) {
        DWORD previous;
        VirtualProtect(page, 4096, PAGE_READWRITE | PAGE_GUARD, &previous);
        reads = 0;
        SendMessageW(mainWindow.window, message, WPARAM(page), sender);
        VirtualProtect(page, 4096, PAGE_READWRITE, &previous);
        return reads;
    }
};

// WM_USER+1 and WM_USER+11 carry a record only from the knobs and the view: the
// same numbers come from elsewhere too (WM_USER+1 is the dialog navigation's
// DM_SETDEFID), and their wParam is then no record to read or act on.
TEST_F(MainWindowTest, KnobAndMarkerNumbersFromOtherSendersAreNotRead) {
    dropTone(5000);
    const Instrument& tone = cardDocument.instruments.items[0];
    uint8_t decay = tone.decay;
    cardDocument.modified = false;
    KnobNotification turned = {200, 0};
    MarkerNotification moved = {7, 0, 0, 0};
    SendMessageW(mainWindow.window, KN_VALUECHANGED, WPARAM(&turned), LPARAM(control(Control::WaveformView)));
    SendMessageW(mainWindow.window, WN_MARKERMOVED, WPARAM(&moved), LPARAM(control(Control::DecayKnob)));
    EXPECT_EQ(tone.decay, decay);
    EXPECT_EQ(tone.start, 0u);
    EXPECT_FALSE(cardDocument.modified);
    WatchedPage junk;
    for (LPARAM sender : {LPARAM(0), LPARAM(control(Control::InstrumentList))}) {
        EXPECT_EQ(junk.readsDuring(KN_VALUECHANGED, sender), 0);
        EXPECT_EQ(junk.readsDuring(WN_MARKERMOVED, sender), 0);
    }
    EXPECT_GT(junk.readsDuring(WN_MARKERMOVED, LPARAM(control(Control::WaveformView))), 0);  // the view's own
}

// A file that fails leaves no instrument and its place goes to the next file;
// the files that find no place are left out without a word. The message names
// each failed file with its reason.
TEST_F(MainWindowTest, SampleFilesDroppedOnTheListBecomeInstruments) {
    for (int i = 0; i < 6; ++i) click(Control::AddButton);
    cardDocument.modified = false;
    updateWindowTitle();
    // Paths with backslashes, as the shell gives them.
    std::vector<std::string> files;
    for (const char* name : {"missing.wav", "kick drum.wav", "notes.txt", "snare.wav", "hat.wav"})
        files.push_back(folder.file(name));
    for (int tone : {1, 3, 4}) writeToneFile(files[tone], 100);
    dropFiles(Control::InstrumentList, files);
    Entries entries = listEntries();
    ASSERT_EQ(entries.size(), 8u);
    EXPECT_EQ(entries[6], u"kick dru");
    EXPECT_EQ(entries[7], u"snare");
    EXPECT_EQ(selectedEntry(), 7);
    EXPECT_EQ(scripted.errors, Entries{u"2 files couldn't be imported\n\nmissing.wav: the file was not found\n"
                                       u"notes.txt: not a WAV, AIFF or AIFC file this program can read"});
    EXPECT_EQ(caption(), kUnnamed + u"*");
}

// What each answer does is the commands' test; here the menu, drops and the command line reach them
// (the real program opens a card-file named on its command line in the preview capture).
TEST_F(MainWindowTest, CardFilesComeFromTheMenuADropOrTheCommandLineAndNameTheCaption) {
    openCommandLineCard(L"corvane.exe");  // no card-file: no load and no error
    EXPECT_TRUE(scripted.errors.empty());

    typeInto(Control::CardNameEdit, L"Drums");  // stored: it comes back from the file below
    EXPECT_EQ(caption(), kUnnamed + u"*");
    click(Control::AddButton);
    std::string saved = folder.file("Saved.vxcor");
    scripted.files = {saved};
    menuCommand(kCommandSave);  // never saved: Save asks where
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - Saved");

    menuCommand(kCommandNew);
    scripted.files = {saved};
    menuCommand(kCommandOpen);
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - Saved");
    EXPECT_EQ(listEntries(), Entries{u"Inst 1"});
    EXPECT_EQ(selectedEntry(), 0);
    EXPECT_EQ(textOf(control(Control::CardNameEdit)), u"Drums");

    // Dropped outside the list it is opened; on the list it is a sample that fails.
    menuCommand(kCommandNew);
    dropFiles(Control::WaveformView, {saved});
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - Saved");
    EXPECT_EQ(listEntries(), Entries{u"Inst 1"});
    scripted.errors.clear();
    dropFiles(Control::InstrumentList, {saved});
    EXPECT_EQ(scripted.errors, Entries{u"The file couldn't be imported\n\n"
                                       u"Saved.vxcor: not a WAV, AIFF or AIFC file this program can read"});
    EXPECT_EQ(listEntries().size(), 1u);
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - Saved");  // a drop that failed changed nothing

    scripted.errors.clear();
    scripted.files = {folder.file("Gone.vxcor")};
    menuCommand(kCommandOpen);
    EXPECT_EQ(scripted.errors, Entries{u"Can't load the card-file\n\nThe file was not found"});
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - Saved");
}

// Eight instruments of the most samples one may hold make the largest card-file
// the program writes: the window opens it, and saving it gives the same bytes.
TEST_F(MainWindowTest, TheLargestCardFileOpensAndSavesUnchanged) {
    std::string largest = folder.file("Largest.vxcor"), expected = folder.file("expected.vxcor");
    writeLargestCardFile(largest);
    writeLargestCardFile(expected);
    scripted.files = {largest};
    menuCommand(kCommandOpen);
    EXPECT_TRUE(scripted.errors.empty());
    EXPECT_EQ(listEntries(), (Entries{u"Big 1", u"Big 2", u"Big 3", u"Big 4", u"Big 5", u"Big 6", u"Big 7",
                                      u"Big 8"}));
    EXPECT_EQ(markerPosition(1), kMaxInstrumentSamples - 1000);
    menuCommand(kCommandSave);
    EXPECT_TRUE(scripted.errors.empty());
    EXPECT_TRUE(sameFileBytes(largest, expected));
    menuCommand(kCommandNew);  // half a gigabyte is not kept for the tests after this one
}

// Figures worked out by hand from the window's drawing at 96 DPI. A minimized
// window has no client area to measure its frame by: a DPI change meanwhile
// sizes it when it is restored, the status line whole.
TEST_F(MainWindowTest, LaysOutAt96AndAfterAMoveTo144DpiMinimizedOrNot) {
    auto viewEdges = [] {
        RECT view = placeOf(Control::WaveformView);
        return std::make_tuple(view.left, view.top, view.right, view.bottom);
    };
    EXPECT_EQ(clientSize(), std::make_pair(770L, 355L));
    EXPECT_EQ(viewEdges(), std::make_tuple(340L, 10L, 760L, 130L));

    RECT window;
    GetWindowRect(mainWindow.window, &window);
    RECT suggested = {window.left, window.top, window.left + 1200, window.top + 600};
    SendMessageW(mainWindow.window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    pumpMessages();
    EXPECT_EQ(clientSize(), std::make_pair(1155L, 532L));
    EXPECT_EQ(viewEdges(), std::make_tuple(510L, 15L, 1140L, 195L));
    LOGFONTW bold = {};  // the fonts are made again for the new DPI
    GetObjectW(HFONT(query(Control::AddButton, WM_GETFONT)), sizeof bold, &bold);
    EXPECT_EQ(bold.lfHeight, -26);  // 13 points
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    SendMessageW(mainWindow.window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&window));
    pumpMessages();

    auto changeWhileMinimized = [](WORD dpi, const RECT& suggested) {
        ShowWindow(mainWindow.window, SW_MINIMIZE);
        pumpMessages();
        ASSERT_TRUE(IsIconic(mainWindow.window));
        SendMessageW(mainWindow.window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        ShowWindow(mainWindow.window, SW_RESTORE);
        pumpMessages();
    };
    changeWhileMinimized(144, suggested);
    EXPECT_EQ(clientSize(), std::make_pair(1155L, 532L));
    EXPECT_LE(placeOf(Control::StatusText).bottom, clientSize().second);
    changeWhileMinimized(96, window);
    EXPECT_EQ(clientSize(), std::make_pair(770L, 355L));
}

TEST_F(MainWindowTest, SpaceIsPlayAndStopExceptOnButtonsAndInFields) {
    pressKey(Control::InstrumentList, VK_SPACE);  // nothing selected: nothing to play
    EXPECT_FALSE(playing());
    dropTone(5000);
    pressKey(Control::InstrumentList, VK_SPACE);
    EXPECT_TRUE(playing());
    // Space held down repeats its key-down, which toggles nothing.
    pressKeyOnFocus(VK_SPACE, kNoKey, 1 | 1 << 30);
    EXPECT_TRUE(playing());
    pressKey(Control::InstrumentList, VK_SPACE);
    EXPECT_FALSE(playing());
    pressKey(Control::PlayButton, VK_SPACE);
    EXPECT_FALSE(playing());
    pressKey(Control::StartEdit, VK_SPACE);
    EXPECT_FALSE(playing());
    pressKey(Control::DecayKnob, VK_SPACE);
    EXPECT_TRUE(playing());
    for (Control elsewhere : {Control::WaveformView, Control::WriterCombo}) {
        pressKey(elsewhere, VK_SPACE);
        EXPECT_FALSE(playing());
        pressKey(elsewhere, VK_SPACE);
        EXPECT_TRUE(playing());
    }
    selectEntry(0);  // showing an instrument stops its preview
    EXPECT_FALSE(playing());
    click(Control::PlayButton);
    EXPECT_TRUE(playing());
    click(Control::PlayButton);
    EXPECT_FALSE(playing());

    // F5 plays and stops wherever the focus is, a field too, once per press;
    // what is typed into Start counts first.
    typeKeys(Control::StartEdit, L"100");
    pressKeyOnFocus(VK_F5);
    EXPECT_TRUE(playing());
    EXPECT_EQ(cardDocument.instruments.items[0].start, 100u);
    EXPECT_EQ(textOf(control(Control::StartEdit)), u"100");
    pressKeyOnFocus(VK_F5, kNoKey, 1 | 1 << 30);  // held down
    EXPECT_TRUE(playing());
    pressKeyOnFocus(VK_F5);
    EXPECT_FALSE(playing());
    pressKey(Control::InstrumentList, VK_SPACE);
    pressKeyOnFocus(VK_F5);
    EXPECT_FALSE(playing());
    ASSERT_TRUE(typeIntoKnob(Control::DecayKnob, L"30"));  // a knob's typed value counts first too
    pressKeyOnFocus(VK_F5);
    EXPECT_TRUE(playing());
    EXPECT_EQ(cardDocument.instruments.items[0].decay, 30);
}

// The View menu's choice: checked, remembered, and what Play then plays.
TEST_F(MainWindowTest, HearAsOnTheCardPlaysTheCardsSoundAndIsRemembered) {
    EXPECT_FALSE(menuChecked(kCommandHearAsCard));
    dropTone(5000);
    click(Control::PlayButton);

    menuCommand(kCommandHearAsCard);
    EXPECT_FALSE(playing());  // the sound changes with the next start
    EXPECT_TRUE(menuChecked(kCommandHearAsCard));
    EXPECT_TRUE(readOption(kHearAsOnCardValue));
    click(Control::PlayButton);
    EXPECT_TRUE(playing());
    EXPECT_EQ(previewPlayer.source, &previewCardSound);
    // A turned knob is heard at once, in the card's sound too.
    float before = publishedSound(previewCardSound).data[selectedInstrument()->start + 10];
    turnKnob(Control::BoostKnob, 6.0);
    EXPECT_TRUE(playing());
    EXPECT_NE(publishedSound(previewCardSound).data[selectedInstrument()->start + 10], before);

    menuCommand(kCommandHearAsCard);
    EXPECT_FALSE(menuChecked(kCommandHearAsCard));
    EXPECT_FALSE(readOption(kHearAsOnCardValue));
    click(Control::PlayButton);
    EXPECT_EQ(previewPlayer.source, &previewSamples);
    click(Control::PlayButton);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kHearAsOnCardValue);
}

TEST_F(MainWindowTest, PlayWithoutAnAudioOutputSaysSoInTheStatusLine) {
    dropTone(5000);
    std::u16string before = textOf(control(Control::StatusText));
    shutdownAudioOutput(previewPlayer);
    click(Control::PlayButton);
    EXPECT_FALSE(playing());
    EXPECT_EQ(textOf(control(Control::StatusText)), u"No audio output to play through");
    ASSERT_EQ(initAudioOutput(previewPlayer, kWorkingSampleRate, 1, kPreviewPeriods, kPreviewFramesPerPeriod),
              ErrorCode::Ok);
    click(Control::PlayButton);
    EXPECT_TRUE(playing());
    EXPECT_EQ(textOf(control(Control::StatusText)), before);
    click(Control::PlayButton);
}

TEST_F(MainWindowTest, RestingOnTheDecayKnobShowsTheEnvelope) {
    dropTone(20000);
    auto moveTo = [](Control over, WPARAM buttons) {
        RECT r;
        GetClientRect(control(over), &r);
        PostMessageW(control(over), WM_MOUSEMOVE, buttons, MAKELPARAM(r.right / 2, r.bottom / 2));
        pumpMessages();
    };
    EXPECT_EQ(envelopePixels(), 0);
    moveTo(Control::DecayKnob, 0);
    EXPECT_GT(envelopePixels(), 100);
    moveTo(Control::InstrumentList, MK_LBUTTON);  // not while a button is held
    EXPECT_GT(envelopePixels(), 100);
    moveTo(Control::InstrumentList, 0);
    EXPECT_EQ(envelopePixels(), 0);
}

// The reports reach the window and the writer list follows the devices; what
// each fault shows is the transfer job's and its controls' test. With the
// option on, Send to Card writes the dithered image.
TEST_F(MainWindowTest, SendToCardWritesThroughTheListedWriterDitheredOrNot) {
    auto writerList = [] {
        Entries entries;
        for (LRESULT i = 0; i < query(Control::WriterCombo, CB_GETCOUNT); ++i) {
            wchar_t text[64] = {};
            SendMessageW(control(Control::WriterCombo), CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
            entries.emplace_back(reinterpret_cast<const char16_t*>(text));
        }
        return std::make_pair(entries, int(query(Control::WriterCombo, CB_GETCURSEL)));
    };
    // Without a writer the list says so rather than stay blank.
    const auto none = std::make_pair(Entries{u"No card writer connected"}, 0);
    EXPECT_EQ(writerList(), none);
    EXPECT_FALSE(IsWindowEnabled(control(Control::SendButton)));
    uint32_t writer = simulatedUsb.plugWriter({}, u"W1");
    rescanWriters();
    EXPECT_TRUE(IsWindowEnabled(control(Control::SendButton)));
    EXPECT_EQ(writerList().first.size(), 1u);
    EXPECT_NE(writerList().first[0], none.first[0]);
    EXPECT_EQ(writerList().second, 0);

    dropTone(5000);
    turnKnob(Control::BoostKnob, 0);
    std::vector<uint8_t> plain(kCardCapacity), dithered(kCardCapacity);
    ASSERT_EQ(buildCardImage(cardDocument, plain.data(), kCardCapacity, false), ErrorCode::Ok);
    ASSERT_EQ(buildCardImage(cardDocument, dithered.data(), kCardCapacity, true), ErrorCode::Ok);
    ASSERT_NE(plain, dithered);
    click(Control::SendButton);
    EXPECT_TRUE(transferEnds());
    EXPECT_EQ(textOf(control(Control::StatusText)).rfind(u"Transfer Successful (Time: ", 0), 0u);
    EXPECT_EQ(simulatedUsb.device(writer).banks[1], plain);  // the bank field's first

    menuCommand(kCommandDitherCard);
    EXPECT_TRUE(readOption(kDitherCardValue));
    click(Control::SendButton);
    EXPECT_TRUE(transferEnds());
    EXPECT_EQ(simulatedUsb.device(writer).banks[1], dithered);
    EXPECT_EQ(textOf(control(Control::StatusText)).rfind(u"Transfer Successful", 0), 0u);
    // The transfer's result stays in the status line while the card is edited.
    std::u16string result = textOf(control(Control::StatusText));
    turnKnob(Control::BoostKnob, 3);
    EXPECT_EQ(textOf(control(Control::StatusText)), result);
    menuCommand(kCommandDitherCard);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kDitherCardValue);

    simulatedUsb.device(writer).plugged = false;
    rescanWriters();
    EXPECT_FALSE(IsWindowEnabled(control(Control::SendButton)));
    EXPECT_EQ(writerList(), none);
}

// Every kind of edit undone gives back the card saved before it, byte for
// byte, and redone the card after it; the Edit menu names the step.
TEST_F(MainWindowTest, EveryEditIsUndoneAndRedoneByteForByte) {
    std::vector<std::string> files;
    for (const char* name : {"kick.wav", "snare.wav", "hat.wav"}) {
        files.push_back(folder.file(name));
        writeToneFile(files.back(), 3000);
    }
    dropFiles(Control::InstrumentList, files);
    const std::string probe = folder.file("probe.vxcor");
    auto card = [&] {  // the card as a card-file holds it, saved past the window's own Save
        EXPECT_EQ(writeCardFile(cardDocument, viewOf(probe)), ErrorCode::Ok);
        return readFileBytes(probe);
    };
    auto menuText = [](UINT command) {
        wchar_t text[64] = {};
        GetMenuStringW(GetMenu(mainWindow.window), command, text, 64, MF_BYCOMMAND);
        return std::u16string(reinterpret_cast<const char16_t*>(text));
    };
    const std::string other = folder.file("other.wav");
    writeToneFile(other, 5000);
    const std::function<void()> edits[] = {
        [] { selectEntry(1); click(Control::RemoveButton); },
        [] { drag(DL_BEGINDRAG, 0); drag(DL_DRAGGING, 2); drag(DL_DROPPED, 2); },
        [&] { selectEntry(0); scripted.files = {other}; click(Control::LoadSampleButton); },
        [] {
            for (double value : {40.0, 60.0, 90.0}) turnKnob(Control::DecayKnob, value, true);
            turnKnob(Control::DecayKnob, 90.0);
        },
        [] { releaseMarker(1, 2000, true); releaseMarker(1, 1500, false); },
        [] { enterInto(Control::StartEdit, L"321"); },
    };
    const char16_t* names[] = {u"Remove Instrument", u"Move Instrument", u"Load Sample", u"Change Decay", u"Move End",
                               u"Move Start"};
    for (size_t i = 0; i < std::size(edits); ++i) {
        SCOPED_TRACE(i);
        std::vector<uint8_t> before = card();
        edits[i]();
        std::vector<uint8_t> after = card();
        ASSERT_NE(after, before);
        EXPECT_EQ(menuText(kCommandUndo), u"&Undo " + std::u16string(names[i]) + u"\tCtrl+Z");
        menuCommand(kCommandUndo);
        EXPECT_EQ(card(), before);
        EXPECT_EQ(menuText(kCommandRedo), u"&Redo " + std::u16string(names[i]) + u"\tCtrl+Y");
        menuCommand(kCommandRedo);
        EXPECT_EQ(card(), after);
        EXPECT_FALSE(menuEnabled(kCommandRedo));
    }

    // Back at the saved card the title loses its "*"; New starts a new history.
    std::string saved = folder.file("saved.vxcor");
    scripted.files = {saved};
    menuCommand(kCommandSaveAs);
    turnKnob(Control::BoostKnob, 4);
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - saved*");
    menuCommand(kCommandUndo);
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - saved");
    menuCommand(kCommandRedo);
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - saved*");
    scripted.saveAnswers = {SaveAnswer::No};
    menuCommand(kCommandNew);
    EXPECT_FALSE(menuEnabled(kCommandUndo));
    EXPECT_EQ(menuText(kCommandUndo), u"&Undo\tCtrl+Z");
}

// Ctrl+Z in a field undoes the typing there; elsewhere it is the card's Undo.
TEST_F(MainWindowTest, CtrlZUndoesTheFieldsTypingInAFieldAndTheCardElsewhere) {
    HACCEL accelerators = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kAcceleratorTableId));
    ASSERT_NE(accelerators, nullptr);
    auto pressCtrlZ = [&](Control focus) {
        SetFocus(control(focus));
        pressKeyOnFocus('Z', kCtrl, 1, accelerators);
    };
    dropTone(2000);
    typeKeys(Control::InstNameEdit, L"Kick");
    EXPECT_EQ(listEntries(), Entries{u"Kick"});
    pressCtrlZ(Control::InstNameEdit);
    EXPECT_EQ(textOf(control(Control::InstNameEdit)), u"tone");
    EXPECT_EQ(listEntries(), Entries{u"tone"});
    // The card's history saw nothing of it: no rename to redo.
    EXPECT_FALSE(menuEnabled(kCommandRedo));
    // Nothing of the menu in the middle of a drag (here a knob's).
    SetCapture(control(Control::DecayKnob));
    pressCtrlZ(Control::InstrumentList);
    ReleaseCapture();
    EXPECT_EQ(listEntries(), Entries{u"tone"});
    pressCtrlZ(Control::InstrumentList);  // the drop, undone
    EXPECT_TRUE(listEntries().empty());
    DestroyAcceleratorTable(accelerators);
}

// While a marker is held the status line says where it is; the release gives it back.
TEST_F(MainWindowTest, WhileAMarkerIsHeldTheStatusLineSaysWhereItIs) {
    dropTone(5000);
    HWND status = control(Control::StatusText);
    SetWindowTextW(status, L"Idle");
    releaseMarker(0, 1, true);
    EXPECT_EQ(textOf(status), u"Start: 1 sample, 0.0 ms");
    releaseMarker(0, 0, false);  // let go where it was
    EXPECT_EQ(textOf(status), u"Idle");
    releaseMarker(1, 2000, true);
    EXPECT_EQ(textOf(status), u"End: 2000 samples, 52.8 ms");  // 2000 / 37908 Hz
    releaseMarker(1, 2000, false);  // moved: the line tells what Downsample would do now
    EXPECT_EQ(textOf(status), u"Downsample would save nothing");
}

// The waveform view's keys move the markers: a run of moves while a key is
// held is one step of the card, taken when the key is let go.
TEST_F(MainWindowTest, KeysOnTheWaveformMoveItsMarkersOneStepARunAndZoom) {
    dropTone(5000);
    const Instrument& tone = cardDocument.instruments.items[0];
    HWND view = control(Control::WaveformView);
    SetFocus(view);
    typeOnFocus('s');
    pressKeyOnFocus(VK_RIGHT);
    pressKeyOnFocus(VK_RIGHT, kNoKey, 3);  // held
    EXPECT_EQ(tone.start, 0u);  // nothing counts before the key is let go
    EXPECT_EQ(textOf(control(Control::StatusText)), u"Start: 4 samples, 0.1 ms");
    releaseKeyOnFocus(VK_RIGHT);
    EXPECT_EQ(tone.start, 4u);
    EXPECT_EQ(textOf(control(Control::StartEdit)), u"4");
    EXPECT_EQ(GetFocus(), view);  // the arrows stayed with the view

    typeOnFocus('e');
    pressKeyOnFocus(VK_LEFT, kShift, 2);  // ten milliseconds each: 379 samples
    pressKeyOnFocus(VK_LEFT);
    releaseKeyOnFocus(VK_LEFT);
    EXPECT_EQ(tone.end, 5000u - 759);
    EXPECT_EQ(textOf(control(Control::EndEdit)), u"4241");
    pressKeyOnFocus(VK_HOME);  // as far as the start
    releaseKeyOnFocus(VK_HOME);
    EXPECT_EQ(tone.end, 4u);

    menuCommand(kCommandUndo);  // each run in one step
    EXPECT_EQ(tone.end, 4241u);
    EXPECT_EQ(markerPosition(1), 4241u);
    menuCommand(kCommandUndo);
    EXPECT_EQ(tone.end, 5000u);
    EXPECT_EQ(textOf(control(Control::EndEdit)), u"5000");
    menuCommand(kCommandUndo);
    EXPECT_EQ(tone.start, 0u);
    EXPECT_EQ(markerPosition(0), 0u);

    // + and - (and the keypad's) zoom in and out around the chosen marker, here E at the end.
    SetFocus(view);
    pressKeyOnFocus(VK_OEM_PLUS);
    EXPECT_EQ(visibleSamples(), std::make_pair(2500u, 2500u));
    pressKeyOnFocus(VK_ADD);
    EXPECT_EQ(visibleSamples(), std::make_pair(3750u, 1250u));
    pressKeyOnFocus(VK_SUBTRACT);
    pressKeyOnFocus(VK_OEM_MINUS);
    EXPECT_EQ(visibleSamples(), std::make_pair(0u, 5000u));
}

// A command that comes while a marker's key is still held (chosen with the
// mouse or by its keys; a menu's own loop takes the key's release) counts
// the run first: the save question knows of it, and Undo takes it back.
TEST_F(MainWindowTest, ACommandOrAMenuDuringAMarkerKeyRunCountsTheRunFirst) {
    dropTone(5000);
    scripted.files = {folder.file("Tone.vxcor")};
    menuCommand(kCommandSaveAs);
    SetFocus(control(Control::WaveformView));
    typeOnFocus('e');
    pressKeyOnFocus(VK_LEFT, kNoKey, 3);  // not let go
    scripted.saveAnswers = {SaveAnswer::Cancel};
    menuCommand(kCommandNew);
    EXPECT_EQ(cardDocument.instruments.items[0].end, 4997u);
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - Tone*");
    menuCommand(kCommandUndo);
    EXPECT_EQ(cardDocument.instruments.items[0].end, 5000u);
    PostMessageW(control(Control::WaveformView), WM_KEYUP, VK_LEFT, LPARAM(1) | LPARAM(3) << 30);  // let go later
    pumpMessages();
    EXPECT_EQ(cardDocument.instruments.items[0].end, 5000u);
    EXPECT_EQ(caption(), u"Corvane v" CORVANE_VERSION u" - Tone");
    // A menu opened and closed with Escape takes the release: the run ends as it opens, and the keys go on.
    pressKeyOnFocus(VK_LEFT, kNoKey, 2);
    SendMessageW(mainWindow.window, WM_ENTERMENULOOP, FALSE, 0);
    EXPECT_EQ(cardDocument.instruments.items[0].end, 4998u);
    SendMessageW(mainWindow.window, WM_EXITMENULOOP, FALSE, 0);
    typeOnFocus('s');
    pressKeyOnFocus(VK_RIGHT);
    PostMessageW(control(Control::WaveformView), WM_KEYUP, VK_RIGHT, LPARAM(1) | LPARAM(3) << 30);
    pumpMessages();
    EXPECT_EQ(cardDocument.instruments.items[0].start, 1u);
    pressKeyOnFocus(VK_LEFT);  // held, and Space plays what is shown
    pressKeyOnFocus(VK_SPACE);
    EXPECT_EQ(cardDocument.instruments.items[0].start, 0u);
}

// The shown instrument's bytes on the card, worked out by hand from the
// footprint rule: 3000 samples at decay 5 (5120 samples, 3413 at the card's
// rate) take four blocks; played to 1000 they take one block and one for the fade.
TEST_F(MainWindowTest, TheShownInstrumentsCostFollowsItsMarkers) {
    EXPECT_EQ(textOf(control(Control::InstrumentCostValue)), u"");
    dropTone(3000);
    EXPECT_EQ(cardDocument.instruments.items[0].decay, 5);
    EXPECT_EQ(textOf(control(Control::InstrumentCostValue)), u"4096 Byte");
    releaseMarker(1, 1000, false);
    EXPECT_EQ(textOf(control(Control::InstrumentCostValue)), u"2048 Byte");
    menuCommand(kCommandUndo);
    EXPECT_EQ(textOf(control(Control::InstrumentCostValue)), u"4096 Byte");
}

// A zoom belongs to the sound it was made on: another instrument is shown whole.
TEST_F(MainWindowTest, AnotherInstrumentIsShownWhole) {
    dropTone(3000);
    dropTone(3000);
    SendMessageW(control(Control::WaveformView), WV_ZOOM, 3 * WHEEL_DELTA, 1500);
    EXPECT_LT(visibleSamples().second, 3000u);
    turnKnob(Control::BoostKnob, 5);  // the same instrument rebuilt: the zoom stays
    EXPECT_LT(visibleSamples().second, 3000u);
    selectEntry(0);
    EXPECT_EQ(visibleSamples().second, 3000u);
}

// A sound between silences: 1000 zeros, a tone of 2000 samples, 1000 zeros.
void writeToneBetweenSilences(const std::string& path) {
    using namespace sample_files;
    std::vector<int16_t> values(4000, 0);
    for (uint32_t i = 0; i < 2000; ++i) values[1000 + i] = int16_t(20000.0 * std::sin(i * 0.05 + 0.3));
    writeFileBytes(path, wav::withData(wav::format(1, 1, kWorkingSampleRate, 16), wav::s16(values)));
}

// Trim Silence keeps the tone only, as one step, and says what it saved.
TEST_F(MainWindowTest, TrimSilenceIsOneStepAndSaysWhatItSaved) {
    std::string path = folder.file("quiet.wav");
    writeToneBetweenSilences(path);
    dropFiles(Control::InstrumentList, {path});
    const Instrument& sound = cardDocument.instruments.items[0];
    uint32_t before = instrumentFootprint(sound);
    menuCommand(kCommandTrimSilence);
    EXPECT_EQ(sound.start, 1000u);
    EXPECT_EQ(sound.end, 3000u);
    EXPECT_EQ(markerPosition(0), 1000u);
    EXPECT_EQ(textOf(control(Control::StartEdit)), u"1000");
    std::string saved = std::to_string(before - instrumentFootprint(sound));
    EXPECT_EQ(textOf(control(Control::StatusText)),
              u"Trim Silence saved " + std::u16string(saved.begin(), saved.end()) + u" Byte");
    menuCommand(kCommandUndo);
    EXPECT_EQ(sound.start, 0u);
    EXPECT_EQ(sound.end, 4000u);
}

// With the option on, a released marker and a typed Start land on the nearest
// sign change of the sound within 2 ms; a spin step still moves by one.
TEST_F(MainWindowTest, SnappedMarkersLandOnZeroCrossings) {
    dropTone(6000);
    const Instrument& tone = cardDocument.instruments.items[0];
    // The crossing nearest to a position, found here on the samples themselves.
    auto nearestCrossing = [&](uint32_t position) {
        for (uint32_t distance = 0; distance <= 76; ++distance)
            for (uint32_t p : {position - distance, position + distance}) {
                float a = tone.samples.data[p - 1], b = tone.samples.data[p];
                if (!((a < 0 && b < 0) || (a > 0 && b > 0))) return p;
            }
        return position;
    };
    EXPECT_FALSE(menuChecked(kCommandSnapMarkers));
    menuCommand(kCommandSnapMarkers);
    EXPECT_TRUE(menuChecked(kCommandSnapMarkers));
    EXPECT_TRUE(readOption(kSnapMarkersValue));
    uint32_t crossing = nearestCrossing(1510);
    ASSERT_NE(crossing, 1510u);
    releaseMarker(0, 1510, false);
    EXPECT_EQ(tone.start, crossing);
    EXPECT_EQ(markerPosition(0), crossing);
    enterInto(Control::EndEdit, L"4020");
    EXPECT_EQ(tone.end, nearestCrossing(4020));
    uint32_t end = tone.end;
    pressKey(Control::EndEdit, VK_DOWN);  // a step of the spin
    EXPECT_EQ(tone.end, end - 1);
    SetFocus(control(Control::WaveformView));  // and a step of a marker by key
    typeOnFocus('s');
    pressKeyOnFocus(VK_RIGHT);
    releaseKeyOnFocus(VK_RIGHT);
    EXPECT_EQ(tone.start, crossing + 1);
    // A start let go right before the end keeps a sample to play, even when
    // the end is the nearest crossing.
    enterInto(Control::EndEdit, std::to_wstring(nearestCrossing(3000)).c_str());
    releaseMarker(0, tone.end - 1, false);
    EXPECT_LT(tone.start, tone.end);
    menuCommand(kCommandSnapMarkers);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kSnapMarkersValue);
    releaseMarker(0, 1510, false);
    EXPECT_EQ(tone.start, 1510u);
}

// The oldest steps go beyond 200.
TEST_F(MainWindowTest, TheHistoryKeepsTwoHundredSteps) {
    dropTone(2000);
    for (int i = 0; i < 205; ++i) {
        SendMessageW(control(Control::DownsampleCheck), BM_CLICK, 0, 0);
        pumpMessages();
    }
    int undone = 0;
    while (menuEnabled(kCommandUndo) && undone < 300) {
        menuCommand(kCommandUndo);
        ++undone;
    }
    EXPECT_EQ(undone, 200);
    EXPECT_EQ(listEntries(), Entries{u"tone"});  // the drop itself went with the oldest steps
}

// Tab goes through the controls as they are read: the card's column from the
// list down, the instrument's controls, the transfer's; Shift+Tab back.
// Disabled controls are passed over.
TEST_F(MainWindowTest, TabVisitsTheControlsInReadingOrderAndShiftTabGoesBack) {
    const Control everyStop[] = {
        Control::InstrumentList, Control::AddButton,   Control::RemoveButton,    Control::LoadSampleButton,
        Control::CardNameEdit,   Control::WaveformView, Control::InstNameEdit,   Control::StartEdit,
        Control::EndEdit,        Control::PlayButton,  Control::DownsampleCheck, Control::DecayKnob,
        Control::BoostKnob,      Control::WriterCombo, Control::SendButton,      Control::BankEdit};
    constexpr size_t kStops = std::size(everyStop);
    auto focused = [] { return controlOf(GetFocus()); };
    uint32_t writer = simulatedUsb.plugWriter({}, u"W4");
    rescanWriters();
    ASSERT_TRUE(IsWindowEnabled(control(Control::SendButton)));
    dropTone(3000);  // the instrument's controls are enabled while it is selected
    SetFocus(control(Control::InstrumentList));
    for (size_t i = 1; i <= kStops; ++i) {
        pressKeyOnFocus(VK_TAB);
        EXPECT_EQ(focused(), int32_t(everyStop[i % kStops])) << "Tab " << i;
    }
    for (size_t i = kStops; i-- > 0;) {
        pressKeyOnFocus(VK_TAB, kShift);
        EXPECT_EQ(focused(), int32_t(everyStop[i])) << "Shift+Tab to stop " << i;
    }
    // A value typed into a knob counts when Tab leaves it.
    ASSERT_TRUE(typeIntoKnob(Control::DecayKnob, L"42"));
    pressKeyOnFocus(VK_TAB);
    EXPECT_EQ(cardDocument.instruments.items[0].decay, 42);
    EXPECT_EQ(focused(), int32_t(Control::BoostKnob));

    simulatedUsb.device(writer).plugged = false;
    rescanWriters();
    scripted.saveAnswers = {SaveAnswer::No};
    menuCommand(kCommandNew);  // nothing selected, and no writer to send to
    const Control enabledStops[] = {Control::InstrumentList, Control::AddButton, Control::LoadSampleButton,
                                    Control::CardNameEdit,   Control::InstNameEdit, Control::StartEdit,
                                    Control::EndEdit,        Control::WriterCombo, Control::BankEdit};
    SetFocus(control(Control::InstrumentList));
    for (size_t i = 1; i <= std::size(enabledStops); ++i) {
        pressKeyOnFocus(VK_TAB);
        EXPECT_EQ(focused(), int32_t(enabledStops[i % std::size(enabledStops)])) << "Tab " << i;
    }
}

// In the list Alt+Up and Alt+Down move the selected instrument as a drag
// would, and Delete removes it as "-" does: each one step of the history.
TEST_F(MainWindowTest, AltArrowsMoveTheSelectedInstrumentAndDeleteRemovesIt) {
    auto cardOrder = [] {  // the card's own order, not the list's
        Entries names;
        for (uint32_t i = 0; i < cardDocument.instruments.count; ++i) {
            Utf8View name = viewOf(cardDocument.instruments.items[i].name);
            names.emplace_back(name.units, name.units + name.length);
        }
        return names;
    };
    auto expectOrder = [&](const Entries& order, int32_t selected) {
        EXPECT_EQ(cardOrder(), order);
        EXPECT_EQ(listEntries(), order);
        EXPECT_EQ(selectedEntry(), selected);
        if (selected >= 0) {
            EXPECT_EQ(textOf(control(Control::InstNameEdit)), order[size_t(selected)]);
        }
        EXPECT_EQ(GetFocus(), control(Control::InstrumentList));
    };
    for (int i = 0; i < 3; ++i) click(Control::AddButton);
    selectEntry(0);
    pressKeyOnFocus(VK_DOWN, kAlt);
    expectOrder({u"Inst 2", u"Inst 1", u"Inst 3"}, 1);
    pressKeyOnFocus(VK_DOWN, kAlt);
    expectOrder({u"Inst 2", u"Inst 3", u"Inst 1"}, 2);
    pressKeyOnFocus(VK_DOWN, kAlt);  // already the last
    expectOrder({u"Inst 2", u"Inst 3", u"Inst 1"}, 2);
    pressKeyOnFocus(VK_UP, kAlt);
    expectOrder({u"Inst 2", u"Inst 1", u"Inst 3"}, 1);
    menuCommand(kCommandUndo);
    expectOrder({u"Inst 2", u"Inst 3", u"Inst 1"}, 2);
    menuCommand(kCommandUndo);
    expectOrder({u"Inst 2", u"Inst 1", u"Inst 3"}, 1);
    menuCommand(kCommandUndo);
    expectOrder({u"Inst 1", u"Inst 2", u"Inst 3"}, 0);

    selectEntry(1);
    pressKeyOnFocus(VK_DELETE);
    expectOrder({u"Inst 1", u"Inst 3"}, 0);
    menuCommand(kCommandUndo);
    expectOrder({u"Inst 1", u"Inst 2", u"Inst 3"}, 1);
    // Elsewhere the keys are the field's: Delete deletes a letter, Alt+Up moves nothing.
    SetFocus(control(Control::InstNameEdit));
    SendMessageW(control(Control::InstNameEdit), EM_SETSEL, 0, 0);
    pressKeyOnFocus(VK_DELETE);
    pressKeyOnFocus(VK_UP, kAlt);
    EXPECT_EQ(cardOrder(), (Entries{u"Inst 1", u"nst 2", u"Inst 3"}));
    SetFocus(control(Control::InstrumentList));  // the typed name is a step
    pumpMessages();
}

// Each item of each menu has a letter of its own (one "&"), none twice in a
// menu: as the resource has them, and as Undo and Redo are renamed.
TEST_F(MainWindowTest, EveryMenuItemHasAnAccessKeyOfItsOwn) {
    std::function<void(HMENU, const std::u16string&)> expectAccessKeys = [&](HMENU menu,
                                                                            const std::u16string& where) {
        std::set<wchar_t> used;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = {};
            MENUITEMINFOW item = {};
            item.cbSize = sizeof item;
            item.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
            item.dwTypeData = text;
            item.cch = 128;
            ASSERT_TRUE(GetMenuItemInfoW(menu, UINT(i), TRUE, &item));
            if (item.fType & MFT_SEPARATOR) continue;
            std::u16string name = where + u" > " + reinterpret_cast<const char16_t*>(text);
            std::vector<wchar_t> keys;
            for (const wchar_t* c = text; *c && *c != L'\t'; ++c)
                if (*c == L'&' && c[1] == L'&') ++c;  // a "&&" shows an "&"
                else if (*c == L'&' && c[1]) keys.push_back(towupper(*++c));
            SCOPED_TRACE(std::string(name.begin(), name.end()));
            ASSERT_EQ(keys.size(), 1u);
            EXPECT_TRUE(used.insert(keys[0]).second) << "the letter is taken";
            if (item.hSubMenu) expectAccessKeys(item.hSubMenu, name);
        }
    };
    HMENU resource = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMenuId));
    ASSERT_NE(resource, nullptr);
    expectAccessKeys(resource, u"the resource");
    DestroyMenu(resource);
    click(Control::AddButton);
    click(Control::AddButton);
    menuCommand(kCommandUndo);  // both named: "Undo Add Instrument", "Redo Add Instrument"
    expectAccessKeys(GetMenu(mainWindow.window), u"the window");
}

// Last: it closes the window.
TEST_F(MainWindowTest, ClosingAsksFirstAndEndsCleanlyEvenDuringATransfer) {
    click(Control::AddButton);
    scripted.saveAnswers = {SaveAnswer::Cancel};
    SendMessageW(mainWindow.window, WM_CLOSE, 0, 0);
    ASSERT_NE(mainWindow.window, nullptr);
    // Logging off asks too; Cancel keeps the session from ending.
    scripted.saveAnswers = {SaveAnswer::Cancel};
    EXPECT_EQ(SendMessageW(mainWindow.window, WM_QUERYENDSESSION, 0, 0), FALSE);
    ASSERT_NE(mainWindow.window, nullptr);

    // No while a transfer runs: the window goes at once, the transfer ends
    // with the program and leaves no device open.
    uint32_t writer = simulatedUsb.plugWriter({}, u"W2");
    rescanWriters();
    click(Control::SendButton, false);
    EXPECT_TRUE(transferJob.busy);  // none of its reports is taken yet
    scripted.saveAnswers = {SaveAnswer::No};
    menuCommand(kCommandExit);
    EXPECT_EQ(mainWindow.window, nullptr);
    shutdownTransferJob(transferJob);
    EXPECT_EQ(simulatedUsb.openHandles(), 0u);
    simulatedUsb.device(writer).plugged = false;
}
