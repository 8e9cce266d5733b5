// The program's modal dialogs, shown for real and answered by a timer that the
// dialog's own message loop dispatches.
#include <gtest/gtest.h>
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <functional>
#include <string>
#include <vector>

#include "app/about_box_win.h"
#include "app/resource_ids.h"
#include "app/user_dialogs_win.h"
#include "corvane_version.h"
#include "core/text_win.h"

namespace {

std::function<void(HWND)> dialogAction;

BOOL CALLBACK findDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Runs `show`, which opens a modal dialog on this thread, and plays the user
// in it: `act` gets the dialog box and answers it. False when no dialog came.
bool answerDialog(const std::function<void()>& show, std::function<void(HWND)> act) {
    dialogAction = std::move(act);
    UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog || !dialogAction) return;
        KillTimer(nullptr, id);
        std::function<void(HWND)> act = std::move(dialogAction);
        dialogAction = nullptr;
        act(dialog);
    });
    show();
    KillTimer(nullptr, timer);
    bool acted = !dialogAction;
    dialogAction = nullptr;
    return acted;
}

std::u16string windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}
std::u16string controlText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }

// Presses the dialog's button `id` as a click would.
void pressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A hidden top-level window to own the dialogs, one for the test program.
HWND dialogOwnerWindow() {
    static HWND owner = CreateWindowExW(0, L"Static", L"Owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    return owner;
}

std::u16string readFolder(const wchar_t* value) {
    DialogPath folder;
    return readRememberedFolder(value, folder) ? std::u16string(folder.units, folder.length) : u"(none)";
}

void deleteValue(const wchar_t* value) { RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, value); }

// Checks an open message box (caption, owner, buttons and text), then presses `press`.
std::function<void(HWND)> expectBox(std::u16string text, std::vector<int> buttons, int press) {
    return [=](HWND box) {
        EXPECT_EQ(windowText(box), u"Corvane v" CORVANE_VERSION);
        EXPECT_EQ(GetWindow(box, GW_OWNER), dialogOwnerWindow());
        std::vector<int> present;
        for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
            if (GetDlgItem(box, id)) present.push_back(id);
        EXPECT_EQ(present, buttons);
        // The text is the static control with the longest text (the icon's has none).
        std::u16string longest;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t className[16] = {};
            GetClassNameW(child, className, 16);
            if (_wcsicmp(className, L"Static") == 0 && windowText(child).size() > longest.size())
                longest = windowText(child);
        }
        EXPECT_EQ(longest, text);
        pressButton(box, press);
    };
}

UserDialogs ownedDialogs() {
    static ApplicationTitle caption = {};
    static DialogOwner owner = {dialogOwnerWindow(), &caption};
    assignText(caption, viewOf(u"Corvane v" CORVANE_VERSION));
    return makeUserDialogs(owner);
}

// A new folder under the temporary one, with its trailing backslash.
std::wstring scratchFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + name + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

TEST(AboutBox, ShowsTheTitleAndTheLegalNoticeAndClosesWithOkOrEsc) {
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Esc" : "OK");
        // A box that does not close hangs the test.
        EXPECT_TRUE(answerDialog([] { showAboutBox(dialogOwnerWindow()); }, [&](HWND dialog) {
            EXPECT_EQ(windowText(dialog), u"About Corvane...");
            EXPECT_EQ(controlText(dialog, kAboutVersionText), u"Corvane v" CORVANE_VERSION);
            EXPECT_EQ(controlText(dialog, kAboutLegalNoticeText), u"\u00a9 2026 Quellbrook");
            EXPECT_NE(SendMessageW(GetDlgItem(dialog, -1), STM_GETICON, 0, 0), 0);
            if (escape)
                PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
            else
                pressButton(dialog, IDOK);
        }));
    }
}

// Round trips of real folders are the file dialogs' test.
TEST(RememberedFolder, OnlyAStringIsAFolder) {
    constexpr wchar_t kTestValue[] = L"TestFolder";
    DWORD number = 7;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kTestValue, REG_DWORD, &number, sizeof number);
    EXPECT_EQ(readFolder(kTestValue), u"(none)");
    deleteValue(kTestValue);
}

TEST(UserDialogsWin, TheSaveQuestionAndTheErrorAreOwnedAndCaptioned) {
    UserDialogs dialogs = ownedDialogs();
    for (auto answer : {std::make_pair(IDYES, SaveAnswer::Yes), std::make_pair(IDNO, SaveAnswer::No),
                        std::make_pair(IDCANCEL, SaveAnswer::Cancel)}) {
        SaveAnswer given = {};
        EXPECT_TRUE(answerDialog([&] { given = dialogs.askToSave(dialogs.context); },
                                 expectBox(u"Do you want to save the changes you made in the card-file?\n\n"
                                           u"Your changes will be lost if you don\u2019t save them.",
                                           {IDCANCEL, IDYES, IDNO}, answer.first)));
        EXPECT_EQ(given, answer.second);
    }
    EXPECT_TRUE(answerDialog([&] { dialogs.showError(dialogs.context, viewOf(u"Disk\n\nfull")); },
                             expectBox(u"Disk\n\nfull", {IDOK}, IDOK)));
}

// Samples and card-files each remember their own folder.
TEST(UserDialogsWin, EachKindOfFileDialogOpensInTheFolderLastUsedForIt) {
    deleteValue(kLastSamplePathValue);
    deleteValue(kLastCardPathValue);
    std::wstring samples = scratchFolder(L"corvane samples"), kick = samples + L"kick.wav";
    std::wstring cards = scratchFolder(L"corvane dialog \u00e4");
    CloseHandle(CreateFileW(kick.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    UserDialogs dialogs = ownedDialogs();
    PathBuffer path = {};
    std::u16string fileType;
    auto typeName = [&](const std::wstring& name) {
        return [&fileType, name](HWND dialog) {
            fileType = controlText(dialog, cmb1);
            SetDlgItemTextW(dialog, cmb13, name.c_str());
            pressButton(dialog, IDOK);
        };
    };
    bool chosen = false;
    answerDialog([&] { chosen = dialogs.chooseFileToOpen(dialogs.context, FileKind::Sample, path); },
                 typeName(kick));
    EXPECT_TRUE(chosen);
    EXPECT_EQ(fileType, u"Sample File");
    EXPECT_EQ(readFolder(kLastSamplePathValue), std::u16string(samples.begin(), samples.end()));
    EXPECT_EQ(readFolder(kLastCardPathValue), u"(none)");

    answerDialog([&] { chosen = dialogs.chooseCardFileToSave(dialogs.context, path); },
                 typeName(cards + L"Drums"));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(fileType, u"Corvane Card");
    Utf8Buffer<1024> expected = {};  // the extension added
    appendUtf16AsUtf8(expected, viewOfWide((cards + L"Drums.vxcor").c_str()));
    EXPECT_EQ(std::string(path.units, path.length), std::string(expected.units, expected.length));
    EXPECT_EQ(readFolder(kLastCardPathValue), std::u16string(cards.begin(), cards.end()));

    wchar_t shown[MAX_PATH] = {};
    answerDialog([&] { chosen = dialogs.chooseFileToOpen(dialogs.context, FileKind::CardFile, path); },
                 [&](HWND dialog) {
                     SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(shown));
                     pressButton(dialog, IDCANCEL);
                 });
    EXPECT_FALSE(chosen);
    EXPECT_EQ(std::wstring(shown) + L"\\", cards);
    DeleteFileW(kick.c_str());
    RemoveDirectoryW(samples.c_str());
    RemoveDirectoryW(cards.c_str());
    deleteValue(kLastSamplePathValue);
    deleteValue(kLastCardPathValue);
}

// Several samples at once come back whole, in the order typed, and their
// folder is remembered; one file chosen is its whole path.
TEST(UserDialogsWin, TheSampleDialogGivesSeveralFilesAtOnce) {
    deleteValue(kLastSamplePathValue);
    std::wstring samples = scratchFolder(L"corvane several \u00e4");
    std::vector<std::wstring> names = {L"snare.wav", L"kick.wav", L"hat \u00fc.wav"};
    for (const std::wstring& name : names)
        CloseHandle(CreateFileW((samples + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    UserDialogs dialogs = ownedDialogs();
    auto type = [](const std::wstring& text) {
        return [text](HWND dialog) {
            SetDlgItemTextW(dialog, cmb13, text.c_str());
            pressButton(dialog, IDOK);
        };
    };
    auto utf8 = [](const std::wstring& wide) {
        Utf8Buffer<1024> path = {};
        appendUtf16AsUtf8(path, viewOfWide(wide.c_str()));
        return std::string(path.units, path.length);
    };
    ChosenFiles files = {};
    bool chosen = false;
    EXPECT_TRUE(answerDialog([&] { chosen = dialogs.chooseSampleFiles(dialogs.context, files); },
                             type(samples + L"kick.wav")));
    ASSERT_TRUE(chosen);
    ASSERT_EQ(files.count, 1u);
    EXPECT_EQ(std::string(files.paths[0].units, files.paths[0].length), utf8(samples + L"kick.wav"));
    EXPECT_EQ(readFolder(kLastSamplePathValue), std::u16string(samples.begin(), samples.end()));

    // From the default folder: to the samples' folder first, then the names.
    deleteValue(kLastSamplePathValue);
    std::wstring typed;
    for (const std::wstring& name : names) typed += L"\"" + name + L"\" ";
    EXPECT_TRUE(answerDialog([&] { chosen = dialogs.chooseSampleFiles(dialogs.context, files); }, [&](HWND dialog) {
        SetDlgItemTextW(dialog, cmb13, samples.c_str());
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
        type(typed)(dialog);
    }));
    ASSERT_TRUE(chosen);
    ASSERT_EQ(files.count, 3u);
    EXPECT_EQ(files.beyond, 0u);
    // In the order of their names, whatever the order they were picked in.
    const std::wstring sorted[] = {names[2], names[1], names[0]};
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(std::string(files.paths[i].units, files.paths[i].length), utf8(samples + sorted[i]));
    EXPECT_EQ(readFolder(kLastSamplePathValue), std::u16string(samples.begin(), samples.end()));

    EXPECT_TRUE(answerDialog([&] { chosen = dialogs.chooseSampleFiles(dialogs.context, files); },
                             [](HWND dialog) { pressButton(dialog, IDCANCEL); }));
    EXPECT_FALSE(chosen);
    for (const std::wstring& name : names) DeleteFileW((samples + name).c_str());
    RemoveDirectoryW(samples.c_str());
    deleteValue(kLastSamplePathValue);
}
