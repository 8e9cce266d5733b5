#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "simulated_card_writer.h"
#include "transfer/writer_discovery.h"

namespace {

using Items = std::vector<std::u16string>;

// Stands in for the writer combo box and the transfer controls beside it.
struct FakeWriterListView {
    Items items;
    int32_t selected = -1;
    bool comboEnabled = false, othersEnabled = false;
    bool saysNoWriter = false;
    int controlUpdates = 0;

    static FakeWriterListView& self(void* c) { return *static_cast<FakeWriterListView*>(c); }
    WriterListView view() {
        return {this,
                [](void* c) { return self(c).selected; },
                [](void* c, int32_t index) { self(c).selected = index < int32_t(self(c).items.size()) ? index : -1; },
                [](void* c, uint32_t index) {
                    FakeWriterListView& me = self(c);
                    me.items.erase(me.items.begin() + index);
                    // a list box forgets a selection whose item went away
                    if (me.selected == int32_t(index)) me.selected = -1;
                    else if (me.selected > int32_t(index)) --me.selected;
                },
                [](void* c, const char16_t* label) { self(c).items.push_back(label); },
                [](void* c, bool combo, bool others) {
                    self(c).comboEnabled = combo;
                    self(c).othersEnabled = others;
                    ++self(c).controlUpdates;
                },
                [](void* c, bool noWriter) { self(c).saysNoWriter = noWriter; }};
    }
};

struct DiscoveryFixture : ::testing::Test {
    SimulatedUsb usb;
    CardWriterList list = {};
    FakeWriterListView combo;
    void TearDown() override {
        releaseWriterList(list);
        EXPECT_EQ(usb.openHandles(), 0u);
    }
    void refresh() { refreshCardWriterList(usb.transport(), list, combo.view(), false); }
    uint32_t plug(uint32_t displayNumber, SimulatedWriterSettings s = {}) {
        s.displayNumber = displayNumber;
        return usb.plugWriter(s, std::u16string(1, char16_t(u'a' + usb.deviceCount())));
    }
};

}  // namespace

TEST(ParseHexAfterKey, ReadsFourDigitsAfterTheFirstKey) {
    const std::tuple<const char16_t*, const char16_t*, uint16_t> cases[] = {
        {u"\\\\?\\usb#vid_0483&pid_a2a1#x", u"vid_", 0x0483},
        {u"\\\\?\\usb#vid_0483&pid_a2a1#x", u"pid_", 0xA2A1},
        {u"usb#VID_0483", u"vid_", 0},  // the key is case-sensitive
        {u"usb#vid_04", u"vid_", 0},    // the terminator among the four
    };
    for (const auto& [path, key, value] : cases)
        EXPECT_EQ(parseHexAfterKey(path, key), value) << std::u16string(path).size();
}

// The fixture's tear-down checks that every writer asked, listed or not, was released.
TEST_F(DiscoveryFixture, ListsOnlyCorvaneWritersThatAnswerInAShortForm) {
    SimulatedWriterSettings s[13];
    s[0].cardModel = 4;                      // another model
    s[2].mode = 2, s[2].modeWord = 0x0102;   // mode 2: asked to change mode, on every pass
    s[3].mode = 2, s[3].modeWord = 0xFFFF;   // with a mode word of 0 or 0xFFFF an ordinary writer
    s[4].mode = 2;
    s[5].replyLength = 36;                   // the long form
    s[6].replyLength = 35;
    s[7].misbehaviour = Misbehaviour::FailIdentify;
    s[8].replyLength = 34;
    s[9].misbehaviour = Misbehaviour::FailOpen;
    s[10].misbehaviour = Misbehaviour::FailInitialize;
    s[11].misbehaviour = Misbehaviour::LoseInterface;
    for (uint32_t i = 0; i < 12; ++i) plug(i, s[i]);
    usb.plugWriter(s[12], u"v", 0x0403, 0xA2A1);  // other devices, however they would answer
    usb.plugWriter(s[12], u"p", 0x0483, 0x5740);
    refresh();
    EXPECT_EQ(combo.items, (Items{u"Corvane (1)", u"Corvane (3)", u"Corvane (4)", u"Corvane (8)"}));
    EXPECT_EQ(combo.selected, 0);  // the first writer is selected when nothing was
    EXPECT_TRUE(combo.comboEnabled);
    EXPECT_TRUE(combo.othersEnabled);
    EXPECT_EQ(usb.device(2).modeTwoRequests, 1u);
    EXPECT_EQ(usb.device(3).modeTwoRequests + usb.device(4).modeTwoRequests, 0u);
    // the other devices were filtered by their paths, never opened
    for (const std::string& r : usb.requests) EXPECT_TRUE(r != "open 12" && r != "open 13") << r;
    refresh();
    EXPECT_EQ(usb.device(2).modeTwoRequests, 2u);
}

TEST_F(DiscoveryFixture, KeepsTheListAndTheChoiceInStepAsWritersComeAndGo) {
    uint32_t w[4] = {plug(1), plug(2), plug(3), plug(4)};
    refresh();
    combo.selected = 2;
    usb.requests.clear();
    refresh();  // nothing changed: writers are known by their paths, nobody is asked again
    EXPECT_EQ(combo.items, (Items{u"Corvane (1)", u"Corvane (2)", u"Corvane (3)", u"Corvane (4)"}));
    EXPECT_EQ(combo.selected, 2);
    for (const std::string& r : usb.requests) EXPECT_NE(r.substr(0, 4), "open");

    // Writers that go in one pass shift the entries behind them; the chosen one stays chosen.
    usb.device(w[1]).plugged = usb.device(w[3]).plugged = false;
    refresh();
    EXPECT_EQ(combo.items, (Items{u"Corvane (1)", u"Corvane (3)"}));
    EXPECT_EQ(combo.selected, 1);
    ASSERT_EQ(list.count, 2u);
    EXPECT_EQ(list.items[1].displayNumber, 3u);

    // One that comes back is added at the end.
    usb.device(w[0]).plugged = false;
    usb.device(w[1]).plugged = true;
    refresh();
    EXPECT_EQ(combo.items, (Items{u"Corvane (3)", u"Corvane (2)"}));
    EXPECT_EQ(combo.selected, 0);
    usb.device(w[2]).plugged = false;  // the chosen writer goes: the first is chosen
    refresh();
    EXPECT_EQ(combo.items, (Items{u"Corvane (2)"}));
    EXPECT_EQ(combo.selected, 0);
    EXPECT_FALSE(combo.saysNoWriter);

    for (uint32_t device : w) usb.device(device).plugged = false;
    refresh();  // with no writer only the combo box stays enabled, and says why it is empty
    EXPECT_TRUE(combo.items.empty());
    EXPECT_EQ(list.count, 0u);
    EXPECT_TRUE(combo.comboEnabled);
    EXPECT_FALSE(combo.othersEnabled);
    EXPECT_TRUE(combo.saysNoWriter);
}

TEST_F(DiscoveryFixture, AFailedEnumerationOrARunningTransferChangesNothing) {
    plug(1);
    refreshCardWriterList(usb.transport(), list, combo.view(), true);
    EXPECT_TRUE(combo.items.empty());
    EXPECT_TRUE(usb.requests.empty());

    plug(2);
    refresh();
    int updates = combo.controlUpdates;
    usb.enumerationFailure = ErrorCode::OutOfMemory;
    usb.enumerationFailsAfter = 1;
    refresh();
    EXPECT_EQ(combo.items.size(), 2u);  // nothing removed
    EXPECT_EQ(list.count, 2u);
    EXPECT_EQ(combo.controlUpdates, updates);  // the controls keep their state
}
