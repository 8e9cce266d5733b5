#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "simulated_card_writer.h"
#include "transfer/writer_protocol.h"

namespace {

bool samePacket(const UsbSetupPacket& a, const UsbSetupPacket& b) {
    return a.requestType == b.requestType && a.request == b.request && a.value == b.value && a.index == b.index &&
           a.length == b.length;
}

CardWriterRecord query(SimulatedUsb& usb, uint32_t device, ErrorCode expected = ErrorCode::Ok) {
    CardWriterRecord record;
    memset(&record, 0, sizeof record);
    std::u16string path = usb.device(device).path;
    EXPECT_EQ(queryCardWriter(usb.transport(), record, path.c_str(), 0x0483, 0xA2A1), expected);
    return record;
}

struct ProgressLog {
    std::vector<std::pair<uint32_t, uint32_t>> reports;
    static void report(void* context, uint32_t done, uint32_t total) {
        static_cast<ProgressLog*>(context)->reports.push_back({done, total});
    }
};

}  // namespace

TEST(IdentifyReply, ReadsTheThreeForms) {
    SimulatedUsb usb;
    SimulatedWriterSettings s;
    s.mode = 3;
    s.cardModel = 7;
    s.infoWord = 0xA1B2;
    s.modeWord = 0xC3D4;
    s.bankCount = 12;
    s.infoByte = 0x5A;
    s.cardSize = 0x00010000;
    s.displayNumber = 0x01020304;
    s.identifier[0] = 0x01;
    s.identifier[1] = 0xAB;
    s.identifier[11] = 0xFF;
    s.tailWord = 0xBEEF;
    s.replyLength = 28;
    CardWriterRecord r = query(usb, usb.plugWriter(s, u"A"));
    EXPECT_EQ(r.mode, 3);
    EXPECT_EQ(r.cardModel, 7);
    EXPECT_EQ(r.infoWord, 0xA1B2);
    EXPECT_EQ(r.modeWord, 0xC3D4);
    EXPECT_EQ(r.bankCount, 12u);
    EXPECT_EQ(r.infoByte, 0x5Au);
    EXPECT_EQ(r.cardSize, 65536u);
    EXPECT_EQ(r.displayNumber, 0x01020304u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(r.idText), 24), "01AB000000000000000000FF");
    EXPECT_EQ(r.tailWord, 0);
    EXPECT_EQ(r.formFlags, 0);
    EXPECT_EQ(r.present, 1);
    EXPECT_EQ(std::u16string(r.devicePath), usb.device(0).path);
    EXPECT_EQ(r.vendorId, 0x0483);

    s.replyLength = 34;
    EXPECT_EQ(query(usb, usb.plugWriter(s, u"B")).tailWord, 0xBEEF);

    s.replyLength = 36;
    memcpy(s.identifier, "Writer-identifier-text!!", 24);
    CardWriterRecord longForm = query(usb, usb.plugWriter(s, u"C"));
    EXPECT_EQ(longForm.displayNumber, 0u);
    EXPECT_EQ(longForm.infoByte, 0u);
    EXPECT_EQ(longForm.formFlags, 0x0100);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(longForm.idText), 24), "Writer-identifier-text!!");
}

TEST(IdentifyReply, IsSentWithAShortTimeoutAndReleasesEverything) {
    SimulatedUsb usb;
    query(usb, usb.plugWriter({}, u"A"));
    ASSERT_GE(usb.requests.size(), 6u);
    EXPECT_EQ(usb.requests[0].kind, SimulatedRequest::Open);
    EXPECT_EQ(usb.requests[1].kind, SimulatedRequest::Initialize);
    EXPECT_EQ(usb.requests[2].kind, SimulatedRequest::Timeout);
    EXPECT_EQ(usb.requests[2].pipe, 0x00);
    EXPECT_EQ(usb.requests[2].value, 50u);
    EXPECT_EQ(usb.requests[3].kind, SimulatedRequest::Control);
    EXPECT_TRUE(samePacket(usb.requests[3].setup, {0xC0, 0x01, 0x0001, 0x0000, 0x0024}));
    EXPECT_EQ(usb.requests[4].kind, SimulatedRequest::FreeInterface);
    EXPECT_EQ(usb.requests[5].kind, SimulatedRequest::Close);
    EXPECT_EQ(usb.openHandles(), 0u);
}

TEST(IdentifyReply, FailuresAreReportedAndNothingStaysOpen) {
    struct Case {
        const char* what;
        SimulatedWriterSettings settings;
        ErrorCode code;
    };
    std::vector<Case> cases;
    SimulatedWriterSettings s;
    s.replyLength = 35;
    cases.push_back({"35-byte reply", s, ErrorCode::BadResponse});
    s.replyLength = 0;
    cases.push_back({"empty reply", s, ErrorCode::BadResponse});
    s = {};
    s.misbehaviour = Misbehaviour::FailOpen;
    cases.push_back({"cannot open", s, ErrorCode::AccessDenied});
    s.misbehaviour = Misbehaviour::FailInitialize;
    cases.push_back({"no WinUSB", s, ErrorCode::Failed});
    s.misbehaviour = Misbehaviour::LoseInterface;
    cases.push_back({"no interface", s, ErrorCode::NoDevice});
    s.misbehaviour = Misbehaviour::FailIdentify;
    cases.push_back({"request fails", s, ErrorCode::Failed});
    s.misbehaviour = Misbehaviour::TimeoutIdentify;
    cases.push_back({"request times out", s, fromSystemError(121)});
    for (const Case& c : cases) {
        SimulatedUsb usb;
        CardWriterRecord r = query(usb, usb.plugWriter(c.settings, u"A"), c.code);
        EXPECT_EQ(r.present, 0) << c.what;
        EXPECT_EQ(usb.openHandles(), 0u) << c.what;
    }
}

TEST(SendCardImage, SendsSixtyFourBlocksBetweenBeginAndEnd) {
    SimulatedUsb usb;
    uint32_t writer = usb.plugWriter({}, u"A");
    std::vector<uint8_t> image(65536);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 7 + i / 1024);
    CardWriterConnection connection = kClosedConnection;
    ASSERT_EQ(openCardWriter(usb.transport(), connection, usb.device(writer).path.c_str()), ErrorCode::Ok);
    usb.requests.clear();
    ProgressLog log;
    ASSERT_EQ(sendCardImage(usb.transport(), connection, 3, image.data(), 65536, {&log, ProgressLog::report}),
              ErrorCode::Ok);

    // initialise, the two time-outs, begin, 64 blocks, end, release the interface
    ASSERT_EQ(usb.requests.size(), 1u + 2 + 1 + 64 + 1 + 1);
    EXPECT_EQ(usb.requests[0].kind, SimulatedRequest::Initialize);
    EXPECT_EQ(usb.requests[1].kind, SimulatedRequest::Timeout);
    EXPECT_EQ(usb.requests[1].pipe, 0x00);
    EXPECT_EQ(usb.requests[1].value, 1000u);
    EXPECT_EQ(usb.requests[2].pipe, 0x01);
    EXPECT_EQ(usb.requests[2].value, 5000u);
    EXPECT_TRUE(samePacket(usb.requests[3].setup, {0x40, 0x02, 0x0003, 0x0000, 0x0000}));
    for (uint32_t k = 0; k < 64; ++k) {
        EXPECT_EQ(usb.requests[4 + k].kind, SimulatedRequest::Bulk);
        EXPECT_EQ(usb.requests[4 + k].pipe, 0x01);
        EXPECT_EQ(usb.requests[4 + k].value, 1024u);
    }
    EXPECT_TRUE(samePacket(usb.requests[68].setup, {0x40, 0x03, 0x0000, 0x0000, 0x0000}));
    EXPECT_EQ(usb.requests[69].kind, SimulatedRequest::FreeInterface);

    ASSERT_EQ(log.reports.size(), 64u);
    for (uint32_t k = 0; k < 64; ++k) EXPECT_EQ(log.reports[k], std::make_pair(k * 1024, 65536u));
    EXPECT_EQ(usb.device(writer).banks.at(3), image);
    closeCardWriter(usb.transport(), connection);
    EXPECT_EQ(usb.openHandles(), 0u);
}

TEST(SendCardImage, StopsAtTheFirstFailure) {
    struct Case {
        Misbehaviour misbehaviour;
        uint32_t atBlock;
        ErrorCode code;
        size_t bulkWrites;
        bool endSent;
    } cases[] = {
        {Misbehaviour::PartialBlock, 5, ErrorCode::Incomplete, 6, false},
        {Misbehaviour::FailBlock, 0, ErrorCode::Failed, 1, false},
        {Misbehaviour::TimeoutBlock, 63, fromSystemError(121), 64, false},
        {Misbehaviour::RemovedAtBlock, 10, fromSystemError(1167), 11, false},
        {Misbehaviour::FailBeginWrite, 0, ErrorCode::Failed, 0, false},
        {Misbehaviour::FailEndWrite, 0, ErrorCode::Failed, 64, true},
        {Misbehaviour::LoseInterface, 0, ErrorCode::NoDevice, 0, false},
    };
    for (const Case& c : cases) {
        SimulatedUsb usb;
        SimulatedWriterSettings s;
        s.misbehaviour = c.misbehaviour;
        s.atBlock = c.atBlock;
        uint32_t writer = usb.plugWriter(s, u"A");
        std::vector<uint8_t> image(65536, 0x80);
        CardWriterConnection connection = kClosedConnection;
        ASSERT_EQ(openCardWriter(usb.transport(), connection, usb.device(writer).path.c_str()), ErrorCode::Ok);
        EXPECT_EQ(sendCardImage(usb.transport(), connection, 1, image.data(), 65536, {}), c.code);
        size_t bulk = 0;
        bool end = false;
        for (const SimulatedRequest& r : usb.requests) {
            bulk += r.kind == SimulatedRequest::Bulk;
            end |= r.kind == SimulatedRequest::Control && r.setup.request == 0x03;
        }
        EXPECT_EQ(bulk, c.bulkWrites) << int(c.misbehaviour);
        EXPECT_EQ(end, c.endSent) << int(c.misbehaviour);
        EXPECT_TRUE(usb.device(writer).banks.empty());
        closeCardWriter(usb.transport(), connection);
        EXPECT_EQ(usb.openHandles(), 0u);
    }
}
