#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "simulated_card_writer.h"
#include "transfer/writer_protocol.h"

using Log = std::vector<std::string>;

// The reply's layout and the failures are discovery's tests, through the simulated writer's replies.
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
        ErrorCode code;
        long bulkWrites, endWrites;
    } cases[] = {
        {Misbehaviour::None, 0, ErrorCode::Ok, 64, 1},
        {Misbehaviour::PartialBlock, 5, ErrorCode::Incomplete, 6, 0},
        {Misbehaviour::FailBlock, 63, ErrorCode::Failed, 64, 0},
        {Misbehaviour::FailEndWrite, 0, ErrorCode::Failed, 64, 1},
        {Misbehaviour::LoseInterface, 0, ErrorCode::NoDevice, 0, 0},  // initialised, yet no interface
    };
    std::vector<uint8_t> image(65536);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 7 + i / 1024);
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.misbehaviour));
        SimulatedUsb usb;
        SimulatedWriterSettings s;
        s.misbehaviour = c.misbehaviour;
        s.atBlock = c.atBlock;
        SimulatedDevice& writer = usb.device(usb.plugWriter(s, u"A"));
        CardWriterConnection connection = kClosedConnection;
        ASSERT_EQ(openCardWriter(usb.transport(), connection, writer.path.c_str()), ErrorCode::Ok);
        usb.requests.clear();
        // The progress reports are the transfer job's test.
        EXPECT_EQ(sendCardImage(usb.transport(), connection, 3, image.data(), 65536, {}), c.code);
        const Log& log = usb.requests;
        EXPECT_EQ(std::count(log.begin(), log.end(), "bulk 0 1 1024"), c.bulkWrites);
        EXPECT_EQ(std::count(log.begin(), log.end(), "control 0 40 03 0000 0000 0000"), c.endWrites);
        EXPECT_EQ(writer.banks.size(), c.code == ErrorCode::Ok);
        if (c.code == ErrorCode::Ok) {
            Log expected = {"initialize 0", "timeout 0 0 1000", "timeout 0 1 5000", "control 0 40 02 0003 0000 0000"};
            expected.insert(expected.end(), 64, "bulk 0 1 1024");
            expected.insert(expected.end(), {"control 0 40 03 0000 0000 0000", "free 0"});
            EXPECT_EQ(log, expected);
            EXPECT_EQ(writer.banks.at(3), image);
        }
        closeCardWriter(usb.transport(), connection);
        EXPECT_EQ(usb.openHandles(), 0u);
    }
}
