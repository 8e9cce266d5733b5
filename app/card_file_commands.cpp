#include "app/card_file_commands.h"

#include "cardfile/card_file.h"
#include "cardfile/card_file_messages.h"
#include "import/import_sample.h"

namespace {

constexpr uint32_t kMessageCapacity = 160;
using MessageText = WideBuffer<kMessageCapacity>;

// The main window keeps dispatching messages while a dialog is open; the
// flag keeps a command that arrives meanwhile from running inside another.
SaveAnswer askQuestion(CardFileCommands& commands) {
    commands.dialogOpen = true;
    SaveAnswer answer = commands.dialogs->askToSave(commands.dialogs->context);
    commands.dialogOpen = false;
    return answer;
}

void showFailure(CardFileCommands& commands, const char* firstLine, const char* reason) {
    MessageText text = {};
    appendUtf8AsUtf16(text, viewOf(firstLine));
    appendText(text, viewOf(u"\n\n"));
    appendUtf8AsUtf16(text, viewOf(reason));
    commands.dialogOpen = true;
    commands.dialogs->showError(commands.dialogs->context, viewOf(text));
    commands.dialogOpen = false;
}

bool chooseCardToOpen(CardFileCommands& commands, PathBuffer& path) {
    clearText(path);
    commands.dialogOpen = true;
    bool chosen = commands.dialogs->chooseFileToOpen(commands.dialogs->context, FileKind::CardFile, path);
    commands.dialogOpen = false;
    return chosen && path.length != 0;
}

bool chooseCardToSave(CardFileCommands& commands, PathBuffer& path) {
    clearText(path);
    commands.dialogOpen = true;
    bool chosen = commands.dialogs->chooseCardFileToSave(commands.dialogs->context, path);
    commands.dialogOpen = false;
    return chosen && path.length != 0;
}

void setCurrentPath(CardFileCommands& commands, Utf8View path) {
    if (path.units != commands.currentPath.units) assignText(commands.currentPath, path);
}

void loadFrom(CardFileCommands& commands, Utf8View path) {
    CardDocument fresh = {};
    resetDocument(fresh);
    ErrorCode code = readCardFile(fresh, path);
    if (failed(code)) {
        showFailure(commands, kCardFileLoadFailure, cardFileLoadReason(code));
    } else {
        replaceDocument(*commands.document, fresh);
        setCurrentPath(commands, path);
        if (commands.window->cardReplaced) commands.window->cardReplaced(commands.window->context);
    }
    releaseDocument(fresh);
    commands.window->showWholeCard(commands.window->context);
}

void runCommand(CardFileCommands& commands, PendingAction action, bool askFirst);

// After the question: a save, successful or not, resumes without discarding,
// so a failed save leaves the card modified and the command asks again
// instead of dropping unsaved work. Answering No discards.
void resumePending(CardFileCommands& commands, bool discardChanges) {
    PendingAction action = commands.pendingAction;
    commands.pendingAction = PendingAction::None;
    if (action != PendingAction::None) runCommand(commands, action, !discardChanges);
}

void saveTo(CardFileCommands& commands, Utf8View path) {
    ErrorCode code = writeCardFile(*commands.document, path);
    if (failed(code)) {
        showFailure(commands, kCardFileSaveFailure, cardFileSaveReason(code));
    } else {
        commands.document->modified = false;
        setCurrentPath(commands, path);
        if (commands.window->cardSaved) commands.window->cardSaved(commands.window->context);
    }
    commands.window->refreshList(commands.window->context);
    resumePending(commands, false);
}

void saveAs(CardFileCommands& commands) {
    PathBuffer path;
    if (!chooseCardToSave(commands, path)) {
        commands.pendingAction = PendingAction::None;
        return;
    }
    saveTo(commands, viewOf(path));
}

void save(CardFileCommands& commands) {
    if (commands.currentPath.length != 0)
        saveTo(commands, viewOf(commands.currentPath));
    else
        saveAs(commands);
}

void settleSaveQuestion(CardFileCommands& commands) {
    switch (askQuestion(commands)) {
    case SaveAnswer::Yes: save(commands); break;
    case SaveAnswer::No: resumePending(commands, true); break;
    case SaveAnswer::Cancel: commands.pendingAction = PendingAction::None; break;
    }
}

// Runs a command that replaces or ends the card; with unsaved changes it
// asks first and runs once the question is settled.
void runCommand(CardFileCommands& commands, PendingAction action, bool askFirst) {
    if (askFirst && commands.document->modified) {
        commands.pendingAction = action;
        settleSaveQuestion(commands);
        return;
    }
    switch (action) {
    case PendingAction::New:
        resetDocument(*commands.document);
        clearText(commands.currentPath);
        if (commands.window->cardReplaced) commands.window->cardReplaced(commands.window->context);
        commands.window->showWholeCard(commands.window->context);
        break;
    case PendingAction::Open: {
        PathBuffer path;
        if (chooseCardToOpen(commands, path)) loadFrom(commands, viewOf(path));
        break;
    }
    case PendingAction::OpenDropped: loadFrom(commands, viewOf(commands.droppedPath)); break;
    case PendingAction::Close: commands.window->close(commands.window->context); break;
    case PendingAction::None: break;
    }
}

}  // namespace

void initCardFileCommands(CardFileCommands& commands, CardDocument& document, const UserDialogs& dialogs,
                          const CardFileWindow& window) {
    commands.document = &document;
    clearText(commands.currentPath);
    clearText(commands.droppedPath);
    commands.pendingAction = PendingAction::None;
    commands.dialogOpen = false;
    commands.dialogs = &dialogs;
    commands.window = &window;
}

void newCard(CardFileCommands& commands) {
    if (!commands.dialogOpen) runCommand(commands, PendingAction::New, true);
}

void openCard(CardFileCommands& commands) {
    if (!commands.dialogOpen) runCommand(commands, PendingAction::Open, true);
}

void saveCard(CardFileCommands& commands) {
    if (!commands.dialogOpen) save(commands);
}

void saveCardAs(CardFileCommands& commands) {
    if (!commands.dialogOpen) saveAs(commands);
}

void closeRequested(CardFileCommands& commands) {
    if (!commands.dialogOpen) runCommand(commands, PendingAction::Close, true);
}

void openDroppedCard(CardFileCommands& commands, Utf8View path) {
    if (commands.dialogOpen) return;
    // Only the exact extension: a cut path would name another file.
    if (!textEquals(pathExtension(path), viewOf("vxcor")) || path.length > commands.droppedPath.capacity) return;
    assignText(commands.droppedPath, path);
    runCommand(commands, PendingAction::OpenDropped, true);
}

void loadCard(CardFileCommands& commands, Utf8View path) {
    if (!commands.dialogOpen) loadFrom(commands, path);
}
