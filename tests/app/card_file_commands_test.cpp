#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/card_file_commands.h"
#include "cardfile/card_file.h"
#include "test_files.h"

namespace {

using Calls = std::vector<std::string>;
const std::string kCancel = "";  // a file dialog answered with Cancel

// An unexpected question or dialog is cancelled, so a wrong loop ends.
template <typename T>
T takeFirst(std::deque<T>& queue, T otherwise) {
    if (queue.empty()) return otherwise;
    T first = queue.front();
    queue.pop_front();
    return first;
}

// The user and the main window, played by the test: dialogs answer from
// queues, and every dialog and window call is recorded in order.
struct StandIn {
    CardDocument document = {};
    CardFileCommands commands = {};
    UserDialogs dialogs = {};
    CardFileWindow window = {};
    std::deque<SaveAnswer> answers;
    std::deque<std::string> choices;  // for the open and the save dialog
    Calls calls;
    // Run inside every dialog, as messages dispatched by its modal loop are.
    std::function<void()> whileDialogOpen;

    StandIn() {
        resetDocument(document);
        dialogs = {this,
                   [](void* c) {
                       of(c).enter("ask");
                       return takeFirst(of(c).answers, SaveAnswer::Cancel);
                   },
                   [](void* c, Utf16View text) {
                       Utf8Buffer<512> utf8 = {};
                       appendUtf16AsUtf8(utf8, text);
                       of(c).calls.push_back("error: " + std::string(utf8.units, utf8.length));
                   },
                   [](void* c, FileKind kind, PathBuffer& path) {
                       return of(c).choose(kind == FileKind::CardFile ? "open card" : "open sample", path);
                   },
                   [](void* c, PathBuffer& path) { return of(c).choose("save as", path); }, nullptr};
        window = {this, [](void* c) { of(c).calls.push_back("show"); },
                  [](void* c) { of(c).calls.push_back("refresh"); }, [](void* c) { of(c).calls.push_back("close"); },
                  [](void* c) { of(c).calls.push_back("new card"); }, [](void* c) { of(c).calls.push_back("saved"); }};
        initCardFileCommands(commands, document, dialogs, window);
    }
    ~StandIn() { releaseDocument(document); }

    static StandIn& of(void* context) { return *static_cast<StandIn*>(context); }
    void enter(const char* dialog) {
        calls.push_back(dialog);
        if (whileDialogOpen) whileDialogOpen();
    }
    bool choose(const char* dialog, PathBuffer& path) {
        enter(dialog);
        std::string choice = takeFirst(choices, kCancel);
        assignText(path, viewOf(choice));
        return !choice.empty();
    }

    // A card with unsaved edits (loaded from `from` first unless it is ""):
    // a new name and one more instrument with samples.
    void startEdited(const std::string& from) {
        if (!from.empty()) loadCard(commands, viewOf(from));
        assignText(document.name, viewOf("Edited"));
        Instrument* instrument = appendInstrument(document);
        float* samples = nullptr;
        ASSERT_FALSE(failed(makeSamples(instrument->samples, 100, samples)));
        for (uint32_t i = 0; i < 100; ++i) samples[i] = float(i) / 100.0f;
        instrument->end = 100;
        document.modified = true;
        calls.clear();
    }
    std::string path() const { return std::string(commands.currentPath.units, commands.currentPath.length); }
};

std::string nameOf(const CardDocument& document) { return std::string(document.name.units, document.name.length); }

struct CardFileCommandsTest : ::testing::Test {
    ScratchFolder folder;
    std::string drums = writeCard("drums.vxcor", "Drums", 2);

    std::string writeCard(const std::string& file, const char* name, uint32_t instruments) {
        CardDocument document = {};
        resetDocument(document);
        assignText(document.name, viewOf(name));
        for (uint32_t i = 0; i < instruments; ++i) appendInstrument(document);
        std::string path = folder.file(file);
        EXPECT_FALSE(failed(writeCardFile(document, viewOf(path))));
        releaseDocument(document);
        return path;
    }
};

}  // namespace

// New and closing follow the answer the same way; only what comes after differs.
TEST_F(CardFileCommandsTest, NewAndCloseFollowTheAnswerToTheSaveQuestion) {
    struct Case {
        void (*command)(CardFileCommands&);
        bool modified;
        SaveAnswer answer;
        Calls calls;
        bool kept, saved;
    };
    const Case cases[] = {
        {newCard, false, SaveAnswer::Cancel, {"new card", "show"}, false, false},
        {newCard, true, SaveAnswer::Yes, {"ask", "saved", "refresh", "new card", "show"}, false, true},
        {newCard, true, SaveAnswer::No, {"ask", "new card", "show"}, false, false},
        {newCard, true, SaveAnswer::Cancel, {"ask"}, true, false},
        {closeRequested, true, SaveAnswer::Yes, {"ask", "saved", "refresh", "close"}, true, true},
        {closeRequested, true, SaveAnswer::No, {"ask", "close"}, true, false},
        {closeRequested, true, SaveAnswer::Cancel, {"ask"}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.command == newCard ? "New" : "close") << ", modified " << c.modified
                                        << ", answer " << int(c.answer));
        std::string path = writeCard("card.vxcor", "Before", 0);
        std::vector<uint8_t> before = readFileBytes(path);
        StandIn user;
        user.startEdited(path);
        user.document.modified = c.modified;
        user.answers = {c.answer};
        c.command(user.commands);
        EXPECT_EQ(user.calls, c.calls);
        EXPECT_EQ(nameOf(user.document), c.kept ? "Edited" : "Corvane");
        EXPECT_EQ(readFileBytes(path) != before, c.saved);
        EXPECT_EQ(user.document.instruments.count, c.kept ? 1u : 0u);
        EXPECT_EQ(user.document.modified, c.modified && c.kept && !c.saved);
        EXPECT_EQ(user.path(), c.kept ? path : "");
        EXPECT_EQ(user.commands.pendingAction, PendingAction::None);
    }
}

TEST_F(CardFileCommandsTest, OpenAfterNoLoadsTheChosenFileOrKeepsTheCard) {
    std::string before = writeCard("before.vxcor", "Before", 0), broken = folder.file("broken.vxcor");
    writeFileBytes(broken, std::vector<uint8_t>(64, 'x'));
    const std::string loadError = "error: Can't load the card-file\n\nInvalid file format";
    const struct {
        const char* what;
        std::string choice;
        Calls calls;
    } cases[] = {
        {"a card-file", drums, {"ask", "open card", "new card", "show"}},  // a new history only for a card read
        {"a damaged file", broken, {"ask", "open card", loadError, "show"}},
        {"dialog cancelled", kCancel, {"ask", "open card"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        bool loads = c.choice == drums;
        StandIn user;
        user.startEdited(before);
        user.answers = {SaveAnswer::No};
        user.choices = {c.choice};
        openCard(user.commands);
        EXPECT_EQ(user.calls, c.calls);
        // Changes not replaced by a loaded card were not saved either: still changed.
        EXPECT_EQ(user.document.modified, !loads);
        EXPECT_EQ(nameOf(user.document), loads ? "Drums" : "Edited");
        EXPECT_EQ(user.path(), loads ? drums : before);
        EXPECT_EQ(user.document.instruments.count, loads ? 2u : 1u);
    }
}

TEST_F(CardFileCommandsTest, AFailedSaveAfterYesSaysWhyAndTheCommandAsksAgain) {
    StandIn user;
    user.startEdited("");
    user.answers = {SaveAnswer::Yes, SaveAnswer::Cancel};
    user.choices = {folder.file("missing") + "/card.vxcor"};
    closeRequested(user.commands);
    EXPECT_EQ(user.calls, (Calls{"ask", "save as", "error: Can't save the card-file\n\nThe folder does not exist",
                                 "refresh", "ask"}));
    EXPECT_TRUE(user.document.modified);
    EXPECT_EQ(user.path(), "");
}

TEST_F(CardFileCommandsTest, ADroppedFileOpensOnlyWithTheExactExtension) {
    for (const char* name : {"card.VXCOR", "card.Vxcor", "card.wav", "cardvxcor", "card.vxcor.bak", "card."}) {
        SCOPED_TRACE(name);
        std::string path = writeCard(name, "Dropped", 1);
        StandIn user;
        openDroppedCard(user.commands, viewOf(path));
        EXPECT_EQ(user.calls, Calls{});
        EXPECT_EQ(nameOf(user.document), "Corvane");
    }
    for (SaveAnswer answer : {SaveAnswer::No, SaveAnswer::Cancel}) {
        StandIn user;
        user.startEdited("");
        user.answers = {answer};
        openDroppedCard(user.commands, viewOf(drums));
        EXPECT_EQ(nameOf(user.document), answer == SaveAnswer::No ? "Drums" : "Edited");
    }
}

TEST_F(CardFileCommandsTest, CommandsArrivingWhileADialogIsOpenAreIgnored) {
    StandIn user;
    user.startEdited("");
    user.whileDialogOpen = [&] {
        newCard(user.commands);
        openCard(user.commands);
        saveCard(user.commands);
        saveCardAs(user.commands);
        closeRequested(user.commands);
        openDroppedCard(user.commands, viewOf(drums));
        loadCard(user.commands, viewOf(drums));
    };
    user.answers = {SaveAnswer::Yes};
    closeRequested(user.commands);  // Yes, then the Save As dialog is cancelled
    EXPECT_EQ(user.calls, (Calls{"ask", "save as"}));
    EXPECT_EQ(nameOf(user.document), "Edited");
    EXPECT_FALSE(user.commands.dialogOpen);
    EXPECT_EQ(user.commands.pendingAction, PendingAction::None);  // a later Save closes nothing
}
