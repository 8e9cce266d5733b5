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

// The user and the main window, played by the test: dialogs answer from
// queues, and every dialog and window call is recorded in order.
struct StandIn {
    CardDocument document = {};
    CardFileCommands commands = {};
    UserDialogs dialogs = {};
    CardFileWindow window = {};
    std::deque<SaveAnswer> answers;
    std::deque<std::string> openChoices, saveChoices;
    Calls calls;
    // Run inside every dialog, as messages dispatched by its modal loop are.
    std::function<void()> whileDialogOpen;

    StandIn() {
        resetDocument(document);
        dialogs = {this, ask, showError, chooseFileToOpen, chooseCardFileToSave};
        window = {this, [](void* c) { record(c, "show"); }, [](void* c) { record(c, "refresh"); },
                  [](void* c) { record(c, "close"); }};
        initCardFileCommands(commands, document, dialogs, window);
    }
    ~StandIn() { releaseDocument(document); }

    static StandIn& of(void* context) { return *static_cast<StandIn*>(context); }
    static void record(void* context, const std::string& call) { of(context).calls.push_back(call); }
    void inDialog() {
        if (whileDialogOpen) whileDialogOpen();
    }
    static SaveAnswer ask(void* context) {
        StandIn& self = of(context);
        self.calls.push_back("ask");
        self.inDialog();
        // An unexpected question is cancelled, so a wrong loop ends.
        if (self.answers.empty()) return SaveAnswer::Cancel;
        SaveAnswer answer = self.answers.front();
        self.answers.pop_front();
        return answer;
    }
    static void showError(void* context, Utf16View text) {
        Utf8Buffer<512> utf8 = {};
        appendUtf16AsUtf8(utf8, text);
        record(context, "error: " + std::string(utf8.units, utf8.length));
    }
    static bool choose(StandIn& self, std::deque<std::string>& choices, PathBuffer& path) {
        self.inDialog();
        std::string choice = choices.empty() ? kCancel : choices.front();
        if (!choices.empty()) choices.pop_front();
        assignText(path, viewOf(choice));
        return !choice.empty();
    }
    static bool chooseFileToOpen(void* context, FileKind kind, PathBuffer& path) {
        StandIn& self = of(context);
        self.calls.push_back(kind == FileKind::CardFile ? "open card" : "open sample");
        return choose(self, self.openChoices, path);
    }
    static bool chooseCardFileToSave(void* context, PathBuffer& path) {
        StandIn& self = of(context);
        self.calls.push_back("save as");
        return choose(self, self.saveChoices, path);
    }

    // A card with unsaved edits (loaded from `from` first unless it is ""):
    // a new name and one more instrument with samples.
    void startEdited(const std::string& from) {
        if (!from.empty()) loadCard(commands, viewOf(from));
        assignText(document.name, viewOf("Edited"));
        Instrument* instrument = appendInstrument(document);
        ASSERT_FALSE(failed(resizeBuffer(instrument->samples, 100)));
        for (uint32_t i = 0; i < 100; ++i) instrument->samples.data[i] = float(i) / 100.0f;
        instrument->end = 100;
        document.modified = true;
        calls.clear();
    }
    std::string path() const { return std::string(commands.currentPath.units, commands.currentPath.length); }
};

std::string nameOf(const CardDocument& document) { return std::string(document.name.units, document.name.length); }

// The card's name as stored in the file, or "" when it cannot be read.
std::string cardNameInFile(const std::string& path) {
    CardDocument read = {};
    resetDocument(read);
    std::string name = failed(readCardFile(read, viewOf(path))) ? "" : nameOf(read);
    releaseDocument(read);
    return name;
}

struct CardFileCommandsTest : ::testing::Test {
    ScratchFolder folder;
    std::string drums, broken, missingFolder;

    void SetUp() override {
        drums = writeCard("drums.vxcor", "Drums", 2);
        broken = folder.file("broken.vxcor");
        writeFileBytes(broken, std::vector<uint8_t>(64, 'x'));
        missingFolder = folder.file("missing") + "/card.vxcor";
    }
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
        {newCard, false, SaveAnswer::Cancel, {"show"}, false, false},
        {newCard, true, SaveAnswer::Yes, {"ask", "refresh", "show"}, false, true},
        {newCard, true, SaveAnswer::No, {"ask", "show"}, false, false},
        {newCard, true, SaveAnswer::Cancel, {"ask"}, true, false},
        {closeRequested, false, SaveAnswer::Yes, {"close"}, true, false},
        {closeRequested, true, SaveAnswer::Yes, {"ask", "refresh", "close"}, true, true},
        {closeRequested, true, SaveAnswer::No, {"ask", "close"}, true, false},
        {closeRequested, true, SaveAnswer::Cancel, {"ask"}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.command == newCard ? "New" : "close") << ", modified " << c.modified
                                        << ", answer " << int(c.answer));
        std::string path = writeCard("card.vxcor", "Before", 0);
        StandIn user;
        user.startEdited(path);
        user.document.modified = c.modified;
        user.answers = {c.answer};
        c.command(user.commands);
        EXPECT_EQ(user.calls, c.calls);
        EXPECT_EQ(nameOf(user.document), c.kept ? "Edited" : "Corvane");
        EXPECT_EQ(cardNameInFile(path), c.saved ? "Edited" : "Before");
        EXPECT_EQ(user.document.instruments.count, c.kept ? 1u : 0u);
        if (c.command == newCard) {
            EXPECT_EQ(user.document.modified, c.kept);
        }
        EXPECT_EQ(user.path(), c.kept ? path : "");
        EXPECT_EQ(user.commands.pendingAction, PendingAction::None);
    }
}

TEST_F(CardFileCommandsTest, OpenAfterNoLoadsTheChosenFileOrKeepsTheCard) {
    {
        SCOPED_TRACE("a card-file");
        StandIn user;
        user.startEdited("");
        user.answers = {SaveAnswer::No};
        user.openChoices = {drums};
        openCard(user.commands);
        EXPECT_EQ(user.calls, (Calls{"ask", "open card", "show"}));
        EXPECT_EQ(nameOf(user.document), "Drums");
        EXPECT_EQ(user.document.instruments.count, 2u);
        EXPECT_FALSE(user.document.modified);
        EXPECT_EQ(user.path(), drums);
    }
    for (const std::string* chosen : {static_cast<const std::string*>(&broken), &kCancel}) {
        SCOPED_TRACE(chosen == &kCancel ? "dialog cancelled" : "a damaged file");
        StandIn user;
        user.startEdited(drums);
        const float* samples = instrumentAt(user.document, 2)->samples.data;
        user.answers = {SaveAnswer::No};
        user.openChoices = {*chosen};
        openCard(user.commands);
        if (chosen == &kCancel)
            EXPECT_EQ(user.calls, (Calls{"ask", "open card"}));
        else
            EXPECT_EQ(user.calls,
                      (Calls{"ask", "open card", "error: Can't load the card-file\n\nInvalid file format", "show"}));
        // The changes were not saved, so the card keeps counting as changed.
        EXPECT_TRUE(user.document.modified);
        EXPECT_EQ(nameOf(user.document), "Edited");
        ASSERT_EQ(user.document.instruments.count, 3u);
        EXPECT_EQ(instrumentAt(user.document, 2)->samples.data, samples);
        EXPECT_EQ(user.path(), drums);
    }
}

TEST_F(CardFileCommandsTest, AFailedSaveAfterYesSaysWhyAndTheCommandAsksAgain) {
    StandIn user;
    user.startEdited("");
    user.answers = {SaveAnswer::Yes, SaveAnswer::Cancel};
    user.saveChoices = {missingFolder};
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
}
