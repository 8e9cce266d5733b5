#include "app/user_dialogs_win.h"

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text_win.h"
#include "dialog_robot_win.h"

namespace {

constexpr wchar_t kTestValue[] = L"TestFolder";

std::u16string textOf(const DialogPath& path) { return std::u16string(path.units, path.length); }

std::u16string readFolder(const wchar_t* value) {
    DialogPath folder;
    return readRememberedFolder(value, folder) ? textOf(folder) : u"(none)";
}

void deleteValue(const wchar_t* value) { RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, value); }

// What a message box showed, read while it was open.
struct BoxSeen {
    std::u16string caption, text;
    HWND owner = nullptr;
    std::vector<int> buttons;
};

BoxSeen inspect(HWND box) {
    BoxSeen seen;
    seen.caption = windowText(box);
    seen.owner = GetWindow(box, GW_OWNER);
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
        if (GetDlgItem(box, id)) seen.buttons.push_back(id);
    // The text is the static control with the longest text (the icon's has none).
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        std::u16string text = windowText(child);
        if (_wcsicmp(className, L"Static") == 0 && text.size() > seen.text.size()) seen.text = text;
    }
    return seen;
}

struct Owner {
    ApplicationTitle caption = {};
    DialogOwner owner = {};
    UserDialogs dialogs = {};
    Owner() {
        assignText(caption, viewOf(u"Corvane v1.0.0"));
        owner = {dialogOwnerWindow(), &caption};
        dialogs = makeUserDialogs(owner);
    }
};

}  // namespace

TEST(RememberedFolder, IsWrittenWithItsBackslashAndReadBack) {
    deleteValue(kTestValue);
    EXPECT_EQ(readFolder(kTestValue), u"(none)");

    rememberFolderOf(kTestValue, L"C:\\Samples\\kick.wav");
    EXPECT_EQ(readFolder(kTestValue), u"C:\\Samples\\");
    rememberFolderOf(kTestValue, L"D:\\Kl\u00e4nge \u266b\\snare.aif");
    EXPECT_EQ(readFolder(kTestValue), u"D:\\Kl\u00e4nge \u266b\\");
    // A name without a folder leaves the remembered one.
    rememberFolderOf(kTestValue, L"hat.wav");
    EXPECT_EQ(readFolder(kTestValue), u"D:\\Kl\u00e4nge \u266b\\");

    // Only a string counts as a folder.
    DWORD number = 7;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kTestValue, REG_DWORD, &number, sizeof number);
    EXPECT_EQ(readFolder(kTestValue), u"(none)");

    deleteValue(kTestValue);
    EXPECT_EQ(readFolder(kTestValue), u"(none)");
}

TEST(UserDialogsWin, TheSaveQuestionAndTheErrorAreOwnedAndCaptioned) {
    Owner owner;
    for (auto answer : {std::make_pair(IDYES, SaveAnswer::Yes), std::make_pair(IDNO, SaveAnswer::No),
                        std::make_pair(IDCANCEL, SaveAnswer::Cancel)}) {
        BoxSeen seen;
        DialogRobot robot([&](HWND box) {
            seen = inspect(box);
            pressButton(box, answer.first);
        });
        EXPECT_EQ(owner.dialogs.askToSave(owner.dialogs.context), answer.second);
        ASSERT_TRUE(robot.acted());
        EXPECT_EQ(seen.caption, u"Corvane v1.0.0");
        EXPECT_EQ(seen.text, u"Do you want to save the changes you made in the card-file?\n\n"
                             u"Your changes will be lost if you don\u2019t save them.");
        EXPECT_EQ(seen.owner, dialogOwnerWindow());
        EXPECT_EQ(seen.buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
    }

    BoxSeen seen;
    DialogRobot robot([&](HWND box) {
        seen = inspect(box);
        pressButton(box, IDOK);
    });
    owner.dialogs.showError(owner.dialogs.context, viewOf(u"Can't save the card-file\n\nThe disk is full"));
    ASSERT_TRUE(robot.acted());
    EXPECT_EQ(seen.caption, u"Corvane v1.0.0");
    EXPECT_EQ(seen.text, u"Can't save the card-file\n\nThe disk is full");
    EXPECT_EQ(seen.buttons, std::vector<int>{IDOK});
}

namespace {

// The registry value as it was before a test, put back afterwards.
struct SavedValue {
    const wchar_t* value;
    DialogPath before = {};
    bool existed;
    explicit SavedValue(const wchar_t* name) : value(name), existed(readRememberedFolder(name, before)) {}
    ~SavedValue() {
        if (existed)
            RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, value, REG_SZ, before.units,
                            DWORD((before.length + 1) * sizeof(char16_t)));
        else
            deleteValue(value);
    }
};

// A new folder under the temporary one, with its trailing backslash.
std::wstring scratchFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + name + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::u16string folderShownBy(HWND dialog) {
    wchar_t folder[MAX_PATH] = {};
    SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    return std::u16string(reinterpret_cast<char16_t*>(folder));
}

}  // namespace

// Samples and card-files each remember their own folder.
TEST(UserDialogsWin, EachKindOfFileDialogOpensInTheFolderLastUsedForIt) {
    SavedValue savedSamples(kLastSamplePathValue), savedCards(kLastCardPathValue);
    deleteValue(kLastSamplePathValue);
    deleteValue(kLastCardPathValue);
    std::wstring samples = scratchFolder(L"corvane samples"), kick = samples + L"kick.wav";
    std::wstring cards = scratchFolder(L"corvane dialog \u00e4");
    CloseHandle(CreateFileW(kick.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Owner owner;
    PathBuffer path = {};
    std::u16string fileType;
    auto typeName = [&](const std::wstring& name) {
        return [&fileType, name](HWND dialog) {
            fileType = controlText(dialog, cmb1);
            SetDlgItemTextW(dialog, cmb13, name.c_str());
            pressButton(dialog, IDOK);
        };
    };
    {
        DialogRobot chooseKick(typeName(kick));
        EXPECT_TRUE(owner.dialogs.chooseFileToOpen(owner.dialogs.context, FileKind::Sample, path));
        EXPECT_EQ(fileType, u"Sample File");
        EXPECT_EQ(readFolder(kLastSamplePathValue), std::u16string(samples.begin(), samples.end()));
        EXPECT_EQ(readFolder(kLastCardPathValue), u"(none)");
    }
    {
        DialogRobot saveDrums(typeName(cards + L"Drums"));
        ASSERT_TRUE(owner.dialogs.chooseCardFileToSave(owner.dialogs.context, path));
        EXPECT_EQ(fileType, u"Corvane Card");
        Utf8Buffer<1024> expected = {};  // the extension added
        appendUtf16AsUtf8(expected, viewOfWide((cards + L"Drums.vxcor").c_str()));
        EXPECT_EQ(std::string(path.units, path.length), std::string(expected.units, expected.length));
        EXPECT_EQ(readFolder(kLastCardPathValue), std::u16string(cards.begin(), cards.end()));
    }
    std::u16string shown;
    DialogRobot cancel([&](HWND dialog) {
        shown = folderShownBy(dialog);
        pressButton(dialog, IDCANCEL);
    });
    EXPECT_FALSE(owner.dialogs.chooseFileToOpen(owner.dialogs.context, FileKind::CardFile, path));
    EXPECT_EQ(shown + u"\\", std::u16string(cards.begin(), cards.end()));
    EXPECT_EQ(readFolder(kLastCardPathValue), std::u16string(cards.begin(), cards.end()));
    DeleteFileW(kick.c_str());
    RemoveDirectoryW(samples.c_str());
    RemoveDirectoryW(cards.c_str());
}
