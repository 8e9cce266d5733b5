#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "simulated_card_writer.h"
#include "transfer/card_image.h"
#include "transfer/transfer_job.h"
#include "writer_list_view.h"

namespace {

// Stands in for the window's transfer controls; threads run at once or for real.
struct FakeTransferControls {
    std::vector<std::u16string> statuses;
    bool marquee = false;
    uint32_t range = 0;
    std::vector<uint32_t> positions;
    bool comboEnabled = true, othersEnabled = true;
    int32_t selection = 0;
    uint32_t bank = 1;
    int tooMuchData = 0;
    bool realThreads = false;
    bool threadsFail = false;
    std::thread worker;
    uint64_t ticks = 1000;
    uint64_t ticksPerSecond = 1000;
    uint64_t ticksPerCall = 0;

    TransferControls controls() {
        return {
            this,
            [](void* c, const char16_t* text) { self(c).statuses.push_back(text); },
            [](void* c) { return self(c).marquee; },
            [](void* c, bool on) { self(c).marquee = on; },
            [](void* c, uint32_t total) { self(c).range = total; },
            [](void* c, uint32_t position) { self(c).positions.push_back(position); },
            [](void* c, bool combo, bool others) {
                self(c).comboEnabled = combo;
                self(c).othersEnabled = others;
            },
            [](void* c) { return self(c).selection; },
            [](void* c) { return self(c).bank; },
            [](void* c, uint32_t bank) { self(c).bank = bank; },
            [](void* c) { ++self(c).tooMuchData; },
            [](void* c, void (*body)(void*), void* argument) {
                FakeTransferControls& me = self(c);
                if (me.threadsFail) return false;
                if (me.realThreads)
                    me.worker = std::thread(body, argument);
                else
                    body(argument);
                return true;
            },
            [](void* c) { return self(c).ticks += self(c).ticksPerCall; },
            [](void* c) { return self(c).ticksPerSecond; },
        };
    }
    static FakeTransferControls& self(void* c) { return *static_cast<FakeTransferControls*>(c); }
    void join() {
        if (worker.joinable()) worker.join();
    }
};

struct TransferFixture : ::testing::Test {
    SimulatedUsb usb;
    CardWriterList writers = {};
    FakeWriterListView combo;
    FakeTransferControls fake;
    TransferControls controls = fake.controls();
    TransferJob job;
    CardDocument document = {};

    void SetUp() override {
        resetDocument(document);
        initTransferJob(job, usb.transport(), controls);
    }
    void TearDown() override {
        fake.join();
        shutdownTransferJob(job);
        releaseWriterList(writers);
        releaseDocument(document);
        EXPECT_EQ(usb.openHandles(), 0u);
    }
    uint32_t plug(const SimulatedWriterSettings& settings = {}) {
        uint32_t device = usb.plugWriter(settings, u"W" + std::u16string(1, char16_t(u'0' + writers.count)));
        refreshCardWriterList(usb.transport(), writers, combo.view(), job.busy);
        return device;
    }
    void send() {
        sendToCard(job, writers, document);
        fake.join();
    }
    Instrument* add(uint32_t samples, float value) {
        Instrument* instrument = appendInstrument(document);
        resizeBuffer(instrument->samples, samples);
        for (uint32_t i = 0; i < samples; ++i) instrument->samples.data[i] = value;
        instrument->end = samples;
        instrument->decay = 1;
        return instrument;
    }
    bool idle() const { return !job.busy && fake.comboEnabled && fake.othersEnabled && !fake.marquee; }
};

std::u16string sizeText(uint32_t bytes) {
    StatusText text = {};
    appendSizeText(text, bytes);
    return std::u16string(text.units, text.length);
}

std::u16string finishText(bool success, float seconds) {
    StatusText text = {};
    buildFinishText(text, success, seconds);
    return std::u16string(text.units, text.length);
}

}  // namespace

TEST(TransferTexts, SizesUseBinaryUnitsAndACommaWithTwoDigits) {
    EXPECT_EQ(sizeText(0), u"0Byte");
    EXPECT_EQ(sizeText(1023), u"1023Byte");
    EXPECT_EQ(sizeText(1024), u"1KiB");
    EXPECT_EQ(sizeText(1536), u"1,50KiB");
    EXPECT_EQ(sizeText(1076), u"1,05KiB");
    EXPECT_EQ(sizeText(65536), u"64KiB");
    EXPECT_EQ(sizeText(1048575), u"1023,99KiB");
    EXPECT_EQ(sizeText(1048576), u"1MiB");
    EXPECT_EQ(sizeText(1572864), u"1,50MiB");
    EXPECT_EQ(sizeText(4294967295u), u"4095,99MiB");
}

TEST(TransferTexts, FinishShowsTheTimeInHundredths) {
    EXPECT_EQ(finishText(true, 1.25f), u"Transfer Successful (Time: 1,25s)");
    EXPECT_EQ(finishText(true, 2.05f), u"Transfer Successful (Time: 2,05s)");
    EXPECT_EQ(finishText(true, 0.0f), u"Transfer Successful (Time: 0,00s)");
    EXPECT_EQ(finishText(true, 12.999f), u"Transfer Successful (Time: 12,99s)");
    EXPECT_EQ(finishText(false, 3.0f), u"Transfer Failed");
}

TEST_F(TransferFixture, ASuccessfulTransferReportsEveryBlockAndItsTime) {
    uint32_t writer = plug();
    add(3000, 0.25f);
    fake.bank = 5;
    fake.ticksPerSecond = 1000000;
    fake.ticksPerCall = 1250000;  // the clock moves 1.25 s between start and end
    send();

    ASSERT_EQ(fake.statuses.size(), 1u + 64 + 1);
    EXPECT_EQ(fake.statuses[0], u"Transferred 0Byte / 64KiB");
    EXPECT_EQ(fake.statuses[1], u"Transferred 0Byte / 64KiB");
    EXPECT_EQ(fake.statuses[2], u"Transferred 1KiB / 64KiB");
    EXPECT_EQ(fake.statuses[64], u"Transferred 63KiB / 64KiB");
    EXPECT_EQ(fake.statuses.back(), u"Transfer Successful (Time: 1,25s)");
    EXPECT_EQ(fake.range, 65536u);
    EXPECT_EQ(fake.positions.back(), 0u);
    EXPECT_TRUE(idle());

    std::vector<uint8_t> expected(kCardCapacity);
    ASSERT_EQ(buildCardImage(document, expected.data(), kCardCapacity), ErrorCode::Ok);
    EXPECT_EQ(usb.device(writer).banks.at(5), expected);
}

TEST_F(TransferFixture, ABankBeyondTheWritersIsSentAsItsLastBank) {
    SimulatedWriterSettings s;
    s.bankCount = 8;
    uint32_t writer = plug(s);
    fake.bank = 50;
    send();
    EXPECT_EQ(fake.bank, 8u);
    EXPECT_EQ(usb.device(writer).banks.count(8), 1u);
    EXPECT_EQ(usb.device(writer).banks.count(50), 0u);
}

TEST_F(TransferFixture, TooMuchDataIsReportedWithoutAnyUsbRequest) {
    plug();
    for (int i = 0; i < 8; ++i) add(9 * 1024, 0.1f);
    usb.requests.clear();
    send();
    EXPECT_EQ(fake.tooMuchData, 1);
    EXPECT_EQ(fake.statuses.back(), u"Transfer Failed");
    for (const SimulatedRequest& r : usb.requests) {
        EXPECT_NE(r.kind, SimulatedRequest::Control);
        EXPECT_NE(r.kind, SimulatedRequest::Bulk);
    }
    EXPECT_TRUE(idle());
}

TEST_F(TransferFixture, EveryMisbehaviourEndsInTransferFailedAndALaterTransferSucceeds) {
    struct Case {
        Misbehaviour misbehaviour;
        uint32_t atBlock;
    } cases[] = {
        {Misbehaviour::FailBeginWrite, 0}, {Misbehaviour::FailBlock, 7},    {Misbehaviour::TimeoutBlock, 0},
        {Misbehaviour::PartialBlock, 63},  {Misbehaviour::RemovedAtBlock, 30}, {Misbehaviour::FailEndWrite, 0},
        {Misbehaviour::FailInitialize, 0}, {Misbehaviour::LoseInterface, 0},
    };
    uint32_t writer = plug();
    add(2048, 0.5f);
    for (const Case& c : cases) {
        SimulatedDevice& device = usb.device(writer);
        device.settings.misbehaviour = c.misbehaviour;
        device.settings.atBlock = c.atBlock;
        device.banks.clear();
        fake.statuses.clear();
        send();
        EXPECT_EQ(fake.statuses.back(), u"Transfer Failed") << int(c.misbehaviour);
        EXPECT_EQ(fake.tooMuchData, 0);
        EXPECT_TRUE(idle()) << int(c.misbehaviour);
        EXPECT_TRUE(device.banks.empty());

        usb.replug(writer);
        device.settings.misbehaviour = Misbehaviour::None;
        send();
        EXPECT_EQ(fake.statuses.back().substr(0, 19), u"Transfer Successful") << int(c.misbehaviour);
        EXPECT_EQ(device.banks.size(), 1u);
    }
}

TEST_F(TransferFixture, ASendErrorOfAnOverflowingBufferAlsoSaysTooMuchData) {
    SimulatedWriterSettings s;
    s.misbehaviour = Misbehaviour::OverflowBlock;
    s.atBlock = 2;
    plug(s);
    send();
    EXPECT_EQ(fake.tooMuchData, 1);
    EXPECT_EQ(fake.statuses.back(), u"Transfer Failed");
    EXPECT_TRUE(idle());
}

TEST_F(TransferFixture, NothingHappensWithoutAWriterOrWhileBusy) {
    send();  // no writer listed
    EXPECT_TRUE(fake.statuses.empty());
    uint32_t writer = plug();
    fake.selection = -1;
    send();
    EXPECT_TRUE(fake.statuses.empty());
    fake.selection = 0;
    job.busy = 1;
    send();
    EXPECT_TRUE(fake.statuses.empty());
    job.busy = 0;
    SimulatedWriterSettings broken;
    broken.misbehaviour = Misbehaviour::FailOpen;
    usb.device(writer).settings = broken;
    send();  // the device cannot be opened: nothing shown, controls unchanged
    EXPECT_TRUE(fake.statuses.empty());
    EXPECT_FALSE(job.busy);
}

TEST_F(TransferFixture, AThreadThatCannotStartFailsTheTransfer) {
    plug();
    fake.threadsFail = true;
    send();
    EXPECT_EQ(fake.statuses, (std::vector<std::u16string>{u"Transfer Failed"}));
    EXPECT_TRUE(idle());
}

TEST_F(TransferFixture, EditsDuringATransferNeverReachTheCard) {
    uint32_t writer = plug();
    add(4096, 0.5f);
    std::vector<uint8_t> before(kCardCapacity);
    ASSERT_EQ(buildCardImage(document, before.data(), kCardCapacity), ErrorCode::Ok);
    fake.realThreads = true;
    sendToCard(job, writers, document);
    // The user goes on editing at once: more instruments, other samples.
    for (int i = 0; i < 3; ++i) add(2048, -0.25f);
    for (uint32_t i = 0; i < 4096; ++i) instrumentAt(document, 0)->samples.data[i] = -0.75f;
    removeInstrument(document, 1);
    fake.join();
    EXPECT_EQ(usb.device(writer).banks.at(1), before);
}

TEST_F(TransferFixture, DiscoveryWaitsWhileTheTransferRuns) {
    plug();
    job.busy = 1;
    usb.plugWriter({}, u"late");
    refreshCardWriterList(usb.transport(), writers, combo.view(), job.busy);
    EXPECT_EQ(combo.items.size(), 1u);
    job.busy = 0;
    refreshCardWriterList(usb.transport(), writers, combo.view(), job.busy);
    EXPECT_EQ(combo.items.size(), 2u);
}
