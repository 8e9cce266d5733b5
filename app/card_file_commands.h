#pragma once
#include <cstdint>

#include "app/user_dialogs.h"
#include "core/card_document.h"
#include "core/file_io.h"

// New, Open, Save, Save As, closing the window and a dropped card-file, with
// the question whether to save unsaved changes first.

// The save question, as the message box shows it.
constexpr char16_t kSaveQuestion[] =
    u"Do you want to save the changes you made in the card-file?\n\n"
    u"Your changes will be lost if you don\u2019t save them.";

// The command to run once the save question is settled.
enum class PendingAction : uint8_t { None, New, Open, OpenDropped, Close };

// What the commands need of the main window.
struct CardFileWindow {
    void* context;
    // After New or a load, successful or not: the instrument list refilled,
    // its first entry selected and shown, the control states, the focus on the list.
    void (*showWholeCard)(void* context);
    // After a save, successful or not: the list refilled and the title.
    void (*refreshList)(void* context);
    // Destroys the main window; the program ends.
    void (*close)(void* context);
    // After New and a successful load: a new card, whose history starts
    // here. After a successful save: the card as it is now is saved. Either may be null.
    void (*cardReplaced)(void* context);
    void (*cardSaved)(void* context);
};

struct CardFileCommands {
    CardDocument* document;
    PathBuffer currentPath;  // empty for a card never saved or loaded
    PathBuffer droppedPath;  // a dropped card-file waiting for the save question
    PendingAction pendingAction;
    // True while one of the commands' dialogs is open: the main window still
    // receives messages then, and a command arriving meanwhile is ignored.
    bool dialogOpen;
    const UserDialogs* dialogs;
    const CardFileWindow* window;
};

void initCardFileCommands(CardFileCommands& commands, CardDocument& document, const UserDialogs& dialogs,
                          const CardFileWindow& window);

void newCard(CardFileCommands& commands);
void openCard(CardFileCommands& commands);
void saveCard(CardFileCommands& commands);
void saveCardAs(CardFileCommands& commands);
// The close button, Alt+F4 and Exit.
void closeRequested(CardFileCommands& commands);
// A file dropped outside the instrument list: opened when it is a card-file.
void openDroppedCard(CardFileCommands& commands, Utf8View path);
// Reads the card-file into a fresh document and takes it on success; on
// failure says why and keeps the card as it was. Also the card-file given on
// the command line. Does not ask about unsaved changes: callers that may
// replace a modified card go through the commands above.
void loadCard(CardFileCommands& commands, Utf8View path);
