#include <gtest/gtest.h>

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

// Failures part-way are the main window's and the command line's tests, through the job.
TEST(SendCardImage, SendsSixtyFourBlocksBetweenBeginAndEnd) {
    SimulatedUsb usb;
    SimulatedDevice& writer = usb.device(usb.plugWriter({}, u"A"));
    std::vector<uint8_t> image(65536);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 7 + i / 1024);
    CardWriterConnection connection = kClosedConnection;
    ASSERT_EQ(openCardWriter(usb.transport(), connection, writer.path.c_str()), ErrorCode::Ok);
    usb.requests.clear();
    // The progress reports are the transfer job's test.
    EXPECT_EQ(sendCardImage(usb.transport(), connection, 3, image.data(), 65536, {}), ErrorCode::Ok);
    Log expected = {"initialize 0", "timeout 0 0 1000", "timeout 0 1 5000", "control 0 40 02 0003 0000 0000"};
    expected.insert(expected.end(), 64, "bulk 0 1 1024");
    expected.insert(expected.end(), {"control 0 40 03 0000 0000 0000", "free 0"});
    EXPECT_EQ(usb.requests, expected);
    EXPECT_EQ(writer.banks.at(3), image);

    writer.settings.misbehaviour = Misbehaviour::LoseInterface;  // initialised, yet no interface
    EXPECT_EQ(sendCardImage(usb.transport(), connection, 3, image.data(), 65536, {}), ErrorCode::NoDevice);
    closeCardWriter(usb.transport(), connection);
    EXPECT_EQ(usb.openHandles(), 0u);
}
