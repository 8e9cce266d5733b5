#pragma once
#include <cstdint>

#include "core/file_io.h"
#include "core/text.h"

// What the program asks of the user in modal dialogs. The program shows
// Windows' message boxes and file dialogs (user_dialogs_win.cpp); tests
// answer in their place.

enum class SaveAnswer : uint8_t { Yes, No, Cancel };
enum class FileKind : uint8_t { CardFile, Sample };

// The sample files chosen at once, in the order of their names. Files beyond
// the room here are only counted.
constexpr uint32_t kChosenFilesCapacity = 16;
struct ChosenFiles {
    uint32_t count;
    uint32_t beyond;  // chosen, but not held for want of room
    PathBuffer paths[kChosenFilesCapacity];
};

struct UserDialogs {
    void* context;
    // "Do you want to save the changes you made in the card-file?..." with
    // Yes, No and Cancel and the question icon.
    SaveAnswer (*askToSave)(void* context);
    // A message with the error icon and OK, captioned with the application title.
    void (*showError)(void* context, Utf16View text);
    // The open dialog for one existing file of the kind, opening in the folder
    // remembered for that kind; a chosen file's folder is remembered for the
    // next time. False when the user cancels.
    bool (*chooseFileToOpen)(void* context, FileKind kind, PathBuffer& path);
    // The save dialog for a card-file: asks before replacing a file, adds
    // ".vxcor" when no extension is typed, remembers the folder. False when cancelled.
    bool (*chooseCardFileToSave)(void* context, PathBuffer& path);
    // The open dialog for one or several existing sample files, opening in the
    // folder remembered for samples, which the choice updates. False when the
    // user cancels.
    bool (*chooseSampleFiles)(void* context, ChosenFiles& files);
};
