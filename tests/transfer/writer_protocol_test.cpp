#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "simulated_card_writer.h"
#include "transfer/writer_protocol.h"

namespace {

using Log = std::vector<std::string>;

std::string idText(const CardWriterRecord& r) { return std::string(reinterpret_cast<const char*>(r.idText), 24); }

}  // namespace

TEST(IdentifyReply, ReadsTheThreeForms) {
    // mode, model, info word, mode word, banks, info byte, card size, display number, 12 id bytes, tail word
    std::vector<uint8_t> reply = {0x03, 0x07, 0xB2, 0xA1, 0xD4, 0xC3, 0x0C, 0x5A, 0x00, 0x00, 0x01, 0x00,
                                  0x04, 0x03, 0x02, 0x01, 0x01, 0xAB, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xEF, 0xBE};
    CardWriterRecord r = {};
    ASSERT_EQ(parseIdentifyReply(r, reply.data(), 28), ErrorCode::Ok);
    EXPECT_EQ(r.mode, 3);
    EXPECT_EQ(r.cardModel, 7);
    EXPECT_EQ(r.infoWord, 0xA1B2);
    EXPECT_EQ(r.modeWord, 0xC3D4);
    EXPECT_EQ(r.bankCount, 12u);
    EXPECT_EQ(r.infoByte, 0x5Au);
    EXPECT_EQ(r.cardSize, 65536u);
    EXPECT_EQ(r.displayNumber, 0x01020304u);
    EXPECT_EQ(idText(r), "01AB000000000000000000FF");
    EXPECT_EQ(r.tailWord, 0);
    EXPECT_EQ(r.formFlags, 0);
    EXPECT_EQ(r.present, 1);

    ASSERT_EQ(parseIdentifyReply(r, reply.data(), 34), ErrorCode::Ok);
    EXPECT_EQ(r.tailWord, 0xBEEF);

    // The long form: 24 bytes of identifier text in place of the number.
    reply.resize(36);
    memcpy(&reply[12], "Writer-identifier-text!!", 24);
    ASSERT_EQ(parseIdentifyReply(r, reply.data(), 36), ErrorCode::Ok);
    EXPECT_EQ(r.displayNumber, 0u);
    EXPECT_EQ(r.infoByte, 0u);
    EXPECT_EQ(r.formFlags, 0x0100);
    EXPECT_EQ(idText(r), "Writer-identifier-text!!");
    for (uint32_t wrong : {0u, 27u, 35u}) EXPECT_EQ(parseIdentifyReply(r, reply.data(), wrong), ErrorCode::BadResponse);
}

// Failures are covered by discovery, which must skip such writers and release them.
TEST(QueryCardWriter, AsksWithAShortTimeoutAndReleasesTheWriter) {
    SimulatedUsb usb;
    std::u16string path = usb.device(usb.plugWriter({}, u"A")).path;
    CardWriterRecord r = {};
    ASSERT_EQ(queryCardWriter(usb.transport(), r, path.c_str(), 0x0483, 0xA2A1), ErrorCode::Ok);
    EXPECT_EQ(std::u16string(r.devicePath), path);
    EXPECT_EQ(r.vendorId, 0x0483);
    EXPECT_EQ(usb.requests, (Log{"open 0", "initialize 0", "timeout 0 0 50", "control 0 c0 01 0001 0000 0024",
                                 "free 0", "close 0"}));
    EXPECT_EQ(usb.openHandles(), 0u);
}

TEST(SendCardImage, SendsSixtyFourBlocksBetweenBeginAndEndAndStopsAtTheFirstFailure) {
    struct Case {
        Misbehaviour misbehaviour;
        uint32_t atBlock;
        ErrorCode failure, code;
        long bulkWrites, endWrites;
    } cases[] = {
        {Misbehaviour::None, 0, {}, ErrorCode::Ok, 64, 1},
        {Misbehaviour::PartialBlock, 5, {}, ErrorCode::Incomplete, 6, 0},
        {Misbehaviour::FailBlock, 0, ErrorCode::Failed, ErrorCode::Failed, 1, 0},
        {Misbehaviour::FailBlock, 63, ErrorCode::Timeout, ErrorCode::Timeout, 64, 0},
        {Misbehaviour::RemovedAtBlock, 10, {}, fromSystemError(1167), 11, 0},
        {Misbehaviour::FailBeginWrite, 0, {}, ErrorCode::Failed, 0, 0},
        {Misbehaviour::FailEndWrite, 0, {}, ErrorCode::Failed, 64, 1},
        {Misbehaviour::LoseInterface, 0, {}, ErrorCode::NoDevice, 0, 0},
    };
    std::vector<uint8_t> image(65536);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 7 + i / 1024);
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.misbehaviour));
        SimulatedUsb usb;
        SimulatedWriterSettings s;
        s.misbehaviour = c.misbehaviour;
        s.atBlock = c.atBlock;
        s.failure = c.failure;
        SimulatedDevice& writer = usb.device(usb.plugWriter(s, u"A"));
        CardWriterConnection connection = kClosedConnection;
        ASSERT_EQ(openCardWriter(usb.transport(), connection, writer.path.c_str()), ErrorCode::Ok);
        usb.requests.clear();
        std::vector<std::pair<uint32_t, uint32_t>> reports;
        TransferProgress progress = {&reports, [](void* c, uint32_t done, uint32_t total) {
                                         static_cast<decltype(reports)*>(c)->push_back({done, total});
                                     }};
        EXPECT_EQ(sendCardImage(usb.transport(), connection, 3, image.data(), 65536, progress), c.code);
        const Log& log = usb.requests;
        EXPECT_EQ(std::count(log.begin(), log.end(), "bulk 0 1 1024"), c.bulkWrites);
        EXPECT_EQ(std::count(log.begin(), log.end(), "control 0 40 03 0000 0000 0000"), c.endWrites);
        EXPECT_EQ(writer.banks.size(), c.code == ErrorCode::Ok);
        if (c.code == ErrorCode::Ok) {
            Log expected = {"initialize 0", "timeout 0 0 1000", "timeout 0 1 5000", "control 0 40 02 0003 0000 0000"};
            expected.insert(expected.end(), 64, "bulk 0 1 1024");
            expected.insert(expected.end(), {"control 0 40 03 0000 0000 0000", "free 0"});
            EXPECT_EQ(log, expected);
            ASSERT_EQ(reports.size(), 64u);
            for (uint32_t k = 0; k < 64; ++k) EXPECT_EQ(reports[k], std::make_pair(k * 1024, 65536u));
            EXPECT_EQ(writer.banks.at(3), image);
        }
        closeCardWriter(usb.transport(), connection);
        EXPECT_EQ(usb.openHandles(), 0u);
    }
}
