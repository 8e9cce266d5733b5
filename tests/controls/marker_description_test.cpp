#include <gtest/gtest.h>

#include <string>

#include "controls/marker_description.h"

namespace {

std::u16string textOf(const MarkerText& text) { return std::u16string(text.units, text.length); }

}  // namespace

TEST(MarkerDescription, StartAndEndByTheirJobOthersByTheirLabel) {
    MarkerText text = {};
    writeMarkerName(text, 0, u'S');
    EXPECT_EQ(textOf(text), u"Start marker");
    writeMarkerName(text, 1, u'E');
    EXPECT_EQ(textOf(text), u"End marker");
    writeMarkerName(text, 5, u'L');
    EXPECT_EQ(textOf(text), u"Marker L");
}

// Times worked out by hand at 37908 samples a second.
TEST(MarkerDescription, ValueInSamplesAndMillisecondsBelowASecondThenInSeconds) {
    const std::pair<uint32_t, std::u16string> cases[] = {
        {0, u"0 samples, 0.0 ms"},
        {1, u"1 sample, 0.0 ms"},
        {200, u"200 samples, 5.3 ms"},       // 5.276
        {3791, u"3791 samples, 100.0 ms"},   // 100.005
        {37906, u"37906 samples, 999.9 ms"}, // 999.947
        {37907, u"37907 samples, 1.000 s"},  // 999.974: no "1000.0 ms"
        {38100, u"38100 samples, 1.005 s"},  // 1.00506: the zeros after the point stay
        {75816, u"75816 samples, 2.000 s"},
        {16777216, u"16777216 samples, 442.577 s"},  // the longest instrument: 442.5773
    };
    MarkerText text = {};
    for (const auto& [position, expected] : cases) {
        writeMarkerValue(text, position);
        EXPECT_EQ(textOf(text), expected) << position;
    }
}
