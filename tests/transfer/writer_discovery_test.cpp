#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simulated_card_writer.h"
#include "transfer/writer_discovery.h"

namespace {

// Stands in for the writer combo box and the transfer controls beside it.
struct FakeWriterListView {
    std::vector<std::u16string> items;
    int32_t selected = -1;
    bool comboEnabled = false;
    bool othersEnabled = false;
    int controlUpdates = 0;

    WriterListView view() {
        return {this,
                [](void* c) { return static_cast<FakeWriterListView*>(c)->selected; },
                [](void* c, int32_t index) {
                    auto* self = static_cast<FakeWriterListView*>(c);
                    self->selected = index < int32_t(self->items.size()) ? index : -1;
                },
                [](void* c, uint32_t index) {
                    auto* self = static_cast<FakeWriterListView*>(c);
                    self->items.erase(self->items.begin() + index);
                    // a list box forgets a selection whose item went away
                    if (self->selected == int32_t(index)) self->selected = -1;
                    else if (self->selected > int32_t(index)) --self->selected;
                },
                [](void* c, const char16_t* label) { static_cast<FakeWriterListView*>(c)->items.push_back(label); },
                [](void* c, bool combo, bool others) {
                    auto* self = static_cast<FakeWriterListView*>(c);
                    self->comboEnabled = combo;
                    self->othersEnabled = others;
                    ++self->controlUpdates;
                }};
    }
};

struct DiscoveryFixture : ::testing::Test {
    SimulatedUsb usb;
    CardWriterList list = {};
    FakeWriterListView combo;
    void TearDown() override { releaseWriterList(list); }
    void refresh() { refreshCardWriterList(usb.transport(), list, combo.view(), false); }
    // A writer showing this display number, its settings changed by `change`.
    using Change = void (*)(SimulatedWriterSettings&);
    uint32_t plug(uint32_t displayNumber, Change change = nullptr, uint16_t vendor = 0x0483, uint16_t product = 0xA2A1) {
        SimulatedWriterSettings s;
        s.displayNumber = displayNumber;
        if (change) change(s);
        return usb.plugWriter(s, std::u16string(1, char16_t(u'a' + usb.deviceCount())), vendor, product);
    }
};

}  // namespace

TEST(ParseHexAfterKey, ReadsFourDigitsAfterTheKey) {
    struct Case {
        const char16_t* path;
        const char16_t* key;
        uint16_t value;
    } cases[] = {
        {u"\\\\?\\usb#vid_0483&pid_a2a1#x", u"vid_", 0x0483},
        {u"\\\\?\\usb#vid_0483&pid_a2a1#x", u"pid_", 0xA2A1},
        {u"\\\\?\\usb#vid_04Z3&pid_a2a1", u"vid_", 0x0403},  // a non-digit counts as 0
        {u"usb#VID_0483", u"vid_", 0},                       // the key is case-sensitive
        {u"usb#vid_04", u"vid_", 0},                         // the terminator among the four
        {u"", u"vid_", 0},
        {u"vid", u"vid_", 0},
        {u"vid_FFFF&vid_0001", u"vid_", 0xFFFF},  // the first occurrence
    };
    for (const Case& c : cases) EXPECT_EQ(parseHexAfterKey(c.path, c.key), c.value) << std::u16string(c.path).size();
}

TEST_F(DiscoveryFixture, ListsOnlyWritersOfTheCorvaneModel) {
    plug(5, [](SimulatedWriterSettings& s) { s.cardModel = 4; });
    plug(2);
    plug(3, nullptr, 0x0403, 0xA2A1);  // other devices, however they would answer: another vendor
    plug(4, nullptr, 0x0483, 0x5740);  // and another product
    refresh();
    ASSERT_EQ(combo.items.size(), 1u);
    EXPECT_EQ(combo.items[0], u"Corvane (2)");
    EXPECT_EQ(list.count, 1u);
    EXPECT_EQ(combo.selected, 0);  // the first writer is selected when nothing was
    EXPECT_TRUE(combo.comboEnabled);
    EXPECT_TRUE(combo.othersEnabled);
    // the other devices, 2 and 3, were filtered by their paths, never opened
    for (const std::string& r : usb.requests) EXPECT_TRUE(r != "open 2" && r != "open 3") << r;
}

TEST_F(DiscoveryFixture, KeepsTheListInStepAsWritersComeAndGo) {
    uint32_t a = plug(1), b = plug(2), c = plug(3);
    refresh();
    combo.selected = 1;
    usb.requests.clear();
    refresh();  // nothing changed: writers are known by their paths, nobody is asked again
    EXPECT_EQ(combo.items, (std::vector<std::u16string>{u"Corvane (1)", u"Corvane (2)", u"Corvane (3)"}));
    EXPECT_EQ(combo.selected, 1);
    for (const std::string& r : usb.requests) EXPECT_NE(r.substr(0, 4), "open");

    usb.device(b).plugged = false;  // the selected writer goes: the selection moves to the first
    refresh();
    EXPECT_EQ(combo.items, (std::vector<std::u16string>{u"Corvane (1)", u"Corvane (3)"}));
    EXPECT_EQ(combo.selected, 0);
    ASSERT_EQ(list.count, 2u);
    EXPECT_EQ(list.items[1].displayNumber, 3u);

    usb.device(b).plugged = true;
    refresh();  // back at the end of the list
    EXPECT_EQ(combo.items.back(), u"Corvane (2)");
    EXPECT_EQ(list.items[2].displayNumber, 2u);

    for (uint32_t device : {a, b, c}) usb.device(device).plugged = false;
    refresh();  // with no writer only the combo box stays enabled
    EXPECT_TRUE(combo.items.empty());
    EXPECT_EQ(list.count, 0u);
    EXPECT_TRUE(combo.comboEnabled);
    EXPECT_FALSE(combo.othersEnabled);
}

// Writers that go in one pass shift the entries behind them: the chosen
// writer stays chosen while it is there, and the first is chosen when it goes.
TEST_F(DiscoveryFixture, TheChosenWriterStaysChosenWhenOthersGoTogether) {
    uint32_t w[4] = {plug(1), plug(2), plug(3), plug(4)};
    refresh();
    combo.selected = 2;
    usb.device(w[1]).plugged = usb.device(w[3]).plugged = false;
    refresh();
    ASSERT_EQ(combo.items, (std::vector<std::u16string>{u"Corvane (1)", u"Corvane (3)"}));
    EXPECT_EQ(combo.selected, 1);

    usb.device(w[0]).plugged = usb.device(w[2]).plugged = false;
    usb.device(w[1]).plugged = true;
    refresh();
    ASSERT_EQ(combo.items, (std::vector<std::u16string>{u"Corvane (2)"}));
    EXPECT_EQ(combo.selected, 0);
}

TEST_F(DiscoveryFixture, AWriterInModeTwoIsAskedToChangeModeAndNotListed) {
    uint32_t device = plug(1, [](SimulatedWriterSettings& s) { s.mode = 2, s.modeWord = 0x0102; });
    refresh();
    EXPECT_TRUE(combo.items.empty());
    EXPECT_EQ(usb.device(device).modeTwoRequests, 1u);
    refresh();  // asked again on every pass
    EXPECT_EQ(usb.device(device).modeTwoRequests, 2u);
    EXPECT_EQ(usb.openHandles(), 0u);

    // mode 2 with a mode word of 0 or 0xFFFF is an ordinary writer
    uint32_t other = plug(4, [](SimulatedWriterSettings& s) { s.mode = 2, s.modeWord = 0xFFFF; });
    refresh();
    EXPECT_EQ(combo.items, (std::vector<std::u16string>{u"Corvane (4)"}));
    EXPECT_EQ(usb.device(other).modeTwoRequests, 0u);
}

TEST_F(DiscoveryFixture, WritersAnsweringInTheLongFormOrWronglyAreNotListed) {
    plug(1, [](SimulatedWriterSettings& s) { s.replyLength = 36; });
    plug(2, [](SimulatedWriterSettings& s) { s.replyLength = 35; });
    plug(3, [](SimulatedWriterSettings& s) { s.misbehaviour = Misbehaviour::FailIdentify; });
    plug(6, [](SimulatedWriterSettings& s) { s.replyLength = 34; });
    refresh();
    EXPECT_EQ(combo.items, (std::vector<std::u16string>{u"Corvane (6)"}));
    EXPECT_EQ(usb.openHandles(), 0u);
}

TEST_F(DiscoveryFixture, AFailedEnumerationEndsThePassWithoutRemovals) {
    plug(1);
    plug(2);
    refresh();
    int updates = combo.controlUpdates;
    usb.enumerationFailure = ErrorCode::OutOfMemory;
    usb.enumerationFailsAfter = 1;
    refresh();
    EXPECT_EQ(combo.items.size(), 2u);  // nothing removed
    EXPECT_EQ(list.count, 2u);
    EXPECT_EQ(combo.controlUpdates, updates);  // the controls keep their state
    usb.enumerationFailsAfter = UINT32_MAX;
    refresh();
    EXPECT_EQ(combo.items.size(), 2u);
}

TEST_F(DiscoveryFixture, DoesNothingWhileATransferRuns) {
    plug(1);
    refreshCardWriterList(usb.transport(), list, combo.view(), true);
    EXPECT_TRUE(combo.items.empty());
    EXPECT_TRUE(usb.requests.empty());
}
