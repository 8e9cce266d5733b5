#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "transfer/card_models.h"

// The label's room is kDeviceLabelCapacity, enough for the longest name and number.
TEST(DeviceLabel, IsModelNameAndDisplayNumber) {
    const std::tuple<uint8_t, uint32_t, const char*> cases[] = {
        {7, 2, "Corvane (2)"}, {0, 15, "Voxtile ??? (15)"}, {9, 0, "Voxtile ??? (0)"},
        {1, 4294967295u, "Voxtile Alder (4294967295)"},
    };
    for (const auto& [model, number, text] : cases) {
        CardWriterRecord record = {};
        record.cardModel = model;
        record.displayNumber = number;
        Utf8Buffer<kDeviceLabelCapacity> label = {};
        deviceLabel(record, label);
        EXPECT_EQ(std::string(label.units, label.length), text);
    }
}
