#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "simulated_card_writer.h"
#include "transfer/card_image.h"
#include "transfer/test_instruments.h"
#include "transfer/transfer_job.h"

namespace {

using namespace std::chrono_literals;
using Statuses = std::vector<std::u16string>;

// Plays the window: a real worker's reports queue until the test, as user-interface thread, applies them.
struct TransferFixture : ::testing::Test {
    SimulatedUsb usb;
    CardWriterList writers = {};
    CardDocument document = {};
    TransferJob job;
    Statuses statuses;
    std::vector<uint32_t> positions;
    uint32_t range = 0, bank = 1;
    bool marquee = false, comboEnabled = true, othersEnabled = true;
    int32_t selection = 0;
    int tooMuchData = 0;
    std::u16string statusUnderBox;
    // The worker, its reports and its clock (1000 ticks a second).
    std::thread::id uiThread = std::this_thread::get_id();
    std::atomic<int> offThreadCalls{0};
    bool threadsFail = false;
    std::mutex lock;
    std::deque<TransferReport> posted;
    int refusals[3] = {};  // posts of each kind refused before one is taken
    std::chrono::milliseconds postDelay{0};
    std::thread worker;
    std::atomic<bool> workerEnded{false};
    std::atomic<uint64_t> ticks{1000};
    uint64_t ticksPerCall = 0;
    TransferControls controls = fakeControls();

    static TransferFixture& self(void* c) { return *static_cast<TransferFixture*>(c); }
    static TransferFixture& ui(void* c) {
        if (std::this_thread::get_id() != self(c).uiThread) ++self(c).offThreadCalls;
        return self(c);
    }
    TransferControls fakeControls() {
        return {
            this,
            [](void* c, const TransferReport& report) {
                TransferFixture& me = self(c);
                std::this_thread::sleep_for(me.postDelay);
                std::lock_guard<std::mutex> hold(me.lock);
                if (me.refusals[int(report.kind)] > 0) return --me.refusals[int(report.kind)], false;
                me.posted.push_back(report);
                return true;
            },
            [](void* c, const char16_t* text) { ui(c).statuses.push_back(text); },
            [](void* c) { return ui(c).marquee; },
            [](void* c, bool on) { ui(c).marquee = on; },
            [](void* c, uint32_t total) { ui(c).range = total; },
            [](void* c, uint32_t position) { ui(c).positions.push_back(position); },
            [](void* c, bool combo, bool others) { ui(c).comboEnabled = combo, ui(c).othersEnabled = others; },
            [](void* c) { return ui(c).selection; },
            [](void* c) { return ui(c).bank; },
            [](void* c, uint32_t bank) { ui(c).bank = bank; },
            [](void* c) {
                // A message box's own loop goes on delivering reports.
                TransferFixture& me = ui(c);
                ++me.tooMuchData;
                me.pump([&me] { return !me.workerEnded; });
                me.applyPosted();
                me.statusUnderBox = me.statuses.empty() ? u"" : me.statuses.back();
            },
            [](void* c, TransferJob& job) {
                TransferFixture& me = ui(c);
                if (me.threadsFail) return false;
                me.workerEnded = false;
                me.worker = std::thread([&me, &job] { transferThread(job), me.workerEnded = true; });
                job.thread = 1;
                return true;
            },
            [](void* c, TransferThread& thread, uint32_t milliseconds) {
                TransferFixture& me = ui(c);
                auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
                while (!me.workerEnded && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(1ms);
                if (!me.workerEnded) return false;
                me.worker.join();
                thread = 0;
                return true;
            },
            [](void* c) { return self(c).ticks += self(c).ticksPerCall; },
            [](void*) { return uint64_t(1000); },
        };
    }
    void SetUp() override {
        resetDocument(document);
        initTransferJob(job, usb.transport(), controls);
    }
    void TearDown() override {
        shutdownTransferJob(job);
        if (worker.joinable()) worker.join();
        EXPECT_EQ(offThreadCalls, 0) << "the worker touched the controls";
        releaseWriterList(writers);
        releaseDocument(document);
        EXPECT_EQ(usb.openHandles(), 0u);
    }

    void applyPosted() {
        std::deque<TransferReport> taken;
        {
            std::lock_guard<std::mutex> hold(lock);
            taken.swap(posted);
        }
        for (const TransferReport& report : taken) applyTransferReport(job, report);
    }
    // The user-interface thread's loop.
    template <typename Condition>
    void pump(Condition goOn) {
        for (auto end = std::chrono::steady_clock::now() + 10s; goOn() && std::chrono::steady_clock::now() < end;) {
            applyPosted();
            std::this_thread::sleep_for(1ms);
        }
    }
    uint32_t plug(const SimulatedWriterSettings& settings = {}) {
        uint32_t device = usb.plugWriter(settings, u"W");
        CardWriterRecord record = {};
        EXPECT_EQ(queryCardWriter(usb.transport(), record, usb.device(device).path.c_str(), 0x0483, 0xA2A1),
                  ErrorCode::Ok);
        appendWriterRecord(writers, record);
        return device;
    }
    void send() {
        sendToCard(job, writers, document);
        pump([this] { return job.busy != 0; });
    }
    bool idle() const {
        return !job.busy && comboEnabled && othersEnabled && !marquee && job.thread == 0 && usb.openHandles() == 0;
    }
};

}  // namespace

TEST_F(TransferFixture, ASuccessfulTransferShowsEveryBlockAndItsTimeAndSendsTheCardAsItWas) {
    SimulatedWriterSettings s;
    s.bankCount = 8;
    uint32_t writer = plug(s);
    addFlatInstrument(document, 4096, 0.25f);
    std::vector<uint8_t> expected(kCardCapacity);
    ASSERT_EQ(buildCardImage(document, expected.data(), kCardCapacity, false), ErrorCode::Ok);
    bank = 50;             // beyond the writer's banks: its last is taken
    ticksPerCall = 2050;   // the clock moves 2.05 s between start and end
    postDelay = 1ms;       // the worker is still sending while the first reports are applied
    refusals[int(TransferReportKind::Progress)] = 2;  // refused posts are tried again
    refusals[int(TransferReportKind::Finish)] = 2;
    sendToCard(job, writers, document);
    // The user goes on editing at once: more instruments, other samples.
    for (int i = 0; i < 3; ++i) addFlatInstrument(document, 2048, -0.25f);
    float* other = nullptr;
    ASSERT_EQ(makeSamples(instrumentAt(document, 0)->samples, 4096, other), ErrorCode::Ok);
    std::fill(other, other + 4096, -0.75f);
    removeInstrument(document, 1);
    pump([this] { return job.busy != 0; });

    ASSERT_EQ(statuses.size(), 1u + 64 + 1);
    EXPECT_EQ(statuses[0], u"Transferred 0Byte / 64KiB");
    EXPECT_EQ(statuses[2], u"Transferred 1KiB / 64KiB");
    EXPECT_EQ(statuses[64], u"Transferred 63KiB / 64KiB");
    EXPECT_EQ(statuses.back(), u"Transfer Successful (Time: 2,05s)");  // hundredths in two digits
    EXPECT_EQ(range, 65536u);
    ASSERT_EQ(positions.size(), 66u);
    EXPECT_EQ(positions[0], 0u);
    for (uint32_t k = 0; k < 64; ++k) EXPECT_EQ(positions[1 + k], k * 1024);
    EXPECT_EQ(positions.back(), 0u);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(job.lastSucceeded);
    EXPECT_EQ(bank, 8u);
    EXPECT_EQ(usb.device(writer).banks.at(8), expected);
    EXPECT_EQ(usb.device(writer).banks.size(), 1u);
}

TEST_F(TransferFixture, TheDitherChosenBeforeSendToCardIsInTheImageSent) {
    uint32_t writer = plug();
    Instrument* ramp = addFlatInstrument(document, 4096, 0.0f);
    float* samples = freshSamples(*ramp);
    for (uint32_t i = 0; i < 4096; ++i) samples[i] = float(i) / 4096.0f - 0.5f;
    std::vector<uint8_t> plain(kCardCapacity), dithered(kCardCapacity);
    ASSERT_EQ(buildCardImage(document, plain.data(), kCardCapacity, false), ErrorCode::Ok);
    ASSERT_EQ(buildCardImage(document, dithered.data(), kCardCapacity, true), ErrorCode::Ok);
    ASSERT_NE(plain, dithered);
    job.dither = true;
    send();
    ASSERT_EQ(usb.device(writer).banks.size(), 1u);
    EXPECT_EQ(usb.device(writer).banks.begin()->second, dithered);
}

// Each kind of fault on the way is the protocol's test.
TEST_F(TransferFixture, EveryFailureEndsInTransferFailedWithTheWriterClosedAndTooMuchDataInABoxFirst) {
    SimulatedDevice& device = usb.device(plug());
    device.settings.misbehaviour = Misbehaviour::FailBlock;
    device.settings.atBlock = 7;
    send();
    EXPECT_EQ(statuses.back(), u"Transfer Failed");
    EXPECT_FALSE(job.lastSucceeded);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(device.banks.empty());
    EXPECT_EQ(tooMuchData, 0);
    device.settings.misbehaviour = Misbehaviour::None;  // the next try goes through
    send();
    EXPECT_EQ(statuses.back().substr(0, 19), u"Transfer Successful");
    EXPECT_EQ(device.banks.size(), 1u);

    overfillCard(document);
    usb.requests.clear();
    statuses.clear();
    send();
    EXPECT_EQ(tooMuchData, 1);
    EXPECT_EQ(statusUnderBox, u"");  // the finish waited for the box
    EXPECT_EQ(statuses, Statuses{u"Transfer Failed"});
    EXPECT_EQ(usb.requests, (std::vector<std::string>{"open 0", "close 0"}));  // nothing sent
    EXPECT_TRUE(idle());

    threadsFail = true;
    statuses.clear();
    send();
    EXPECT_EQ(statuses, Statuses{u"Transfer Failed"});
    EXPECT_TRUE(idle());
}

TEST_F(TransferFixture, NothingHappensWithoutAWriterOrWhileBusy) {
    send();  // no writer listed
    EXPECT_TRUE(statuses.empty());
    uint32_t writer = plug();
    job.busy = 1;
    size_t requests = usb.requests.size();
    sendToCard(job, writers, document);
    EXPECT_EQ(usb.requests.size(), requests);
    job.busy = 0;
    usb.device(writer).settings.misbehaviour = Misbehaviour::FailOpen;
    send();  // the device cannot be opened: nothing shown, controls unchanged
    EXPECT_TRUE(statuses.empty());
    EXPECT_TRUE(idle());
}

// The main window's closing test ends a transfer that has already run out.
TEST_F(TransferFixture, ShutdownWaitsForTheRunningWorkerBeforeClosingTheWriter) {
    uint32_t writer = plug();
    postDelay = 2ms;  // about 130 ms of sending
    sendToCard(job, writers, document);
    shutdownTransferJob(job);  // the window is gone: nobody applies the reports
    EXPECT_TRUE(workerEnded);
    EXPECT_EQ(job.thread, 0u);
    EXPECT_EQ(usb.openHandles(), 0u);
    EXPECT_EQ(usb.device(writer).banks.count(1), 1u);  // the whole card went before the writer was closed
    EXPECT_EQ(usb.requests.back(), "close 0");
    applyPosted();  // left over: they change nothing any more
    EXPECT_TRUE(statuses.empty());
}
