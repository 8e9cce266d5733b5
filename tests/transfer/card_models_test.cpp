#include <gtest/gtest.h>

#include <string>

#include "transfer/card_models.h"

TEST(DeviceLabel, IsModelNameAndDisplayNumberEachCutToTheRoomLeft) {
    CardWriterRecord record = {};
    Utf8Buffer<kDeviceLabelCapacity> label = {};
    struct Case {
        uint8_t model;
        uint32_t number;
        const char* label;
    } cases[] = {{7, 2, "Corvane (2)"},      {0, 15, "Voxtile ??? (15)"},
                 {9, 0, "Voxtile ??? (0)"},  {255, 3, "Voxtile ??? (3)"},
                 {1, 4294967295u, "Voxtile Alder (4294967295)"}};
    for (const Case& c : cases) {
        record.cardModel = c.model;
        record.displayNumber = c.number;
        deviceLabel(record, label);
        EXPECT_EQ(std::string(label.units, label.length), c.label);
    }
    record.cardModel = 1;
    record.displayNumber = 12345;
    Utf8Buffer<18> small = {};
    appendText(small, viewOf("old text"));
    deviceLabel(record, small);  // replaces what was there
    EXPECT_EQ(std::string(small.units, small.length), "Voxtile Alder (123");
}
