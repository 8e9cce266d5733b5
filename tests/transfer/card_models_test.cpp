#include <gtest/gtest.h>

#include <string>

#include "transfer/card_models.h"

static std::string labelFor(uint8_t model, uint32_t displayNumber) {
    CardWriterRecord record = {};
    record.cardModel = model;
    record.displayNumber = displayNumber;
    Utf8Buffer<kDeviceLabelCapacity> label = {};
    deviceLabel(record, label);
    return std::string(label.units, label.length);
}

TEST(DeviceLabel, IsModelNameAndDisplayNumber) {
    EXPECT_EQ(labelFor(7, 2), "Corvane (2)");
    EXPECT_EQ(labelFor(0, 15), "Voxtile ??? (15)");
    EXPECT_EQ(labelFor(9, 0), "Voxtile ??? (0)");
    EXPECT_EQ(labelFor(255, 3), "Voxtile ??? (3)");
    EXPECT_EQ(labelFor(1, 4294967295u), "Voxtile Alder (4294967295)");
}

TEST(DeviceLabel, CutsEachPieceToTheRoomLeft) {
    CardWriterRecord record = {};
    record.cardModel = 1;
    record.displayNumber = 12345;
    Utf8Buffer<18> label = {};
    deviceLabel(record, label);
    EXPECT_EQ(std::string(label.units, label.length), "Voxtile Alder (123");
    Utf8Buffer<19> room = {};
    appendText(room, viewOf("old text"));
    deviceLabel(record, room);  // replaces what was there
    EXPECT_EQ(std::string(room.units, room.length), "Voxtile Alder (1234");
}
