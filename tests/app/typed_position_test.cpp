#include <gtest/gtest.h>

#include "app/typed_position.h"

namespace {

struct Typed {
    const char16_t* text;
    bool number;
    uint32_t position;  // within 100 .. 5000, from 7 when there is no number
};

}  // namespace

TEST(TypedPosition, ANumberBeyondTheRangeIsItsNearerEndAndNoNumberChangesNothing) {
    const Typed cases[] = {
        {u"2500", true, 2500},     {u" 0100 ", true, 100},   {u"99", true, 100},
        {u"5001", true, 5000},     {u"4294967296", true, 5000},  // past 32 bits, not wrapped round to 0
        {u"99999999999999999999999", true, 5000},
        {u"", false, 7},           {u"   ", false, 7},       {u"12a", false, 7},
        {u"-5", false, 7},         {u"1 000", false, 7},
    };
    for (const Typed& c : cases) {
        uint32_t position = 7;
        EXPECT_EQ(readTypedPosition(viewOf(c.text), 100, 5000, position), c.number) << testing::PrintToString(c.text);
        EXPECT_EQ(position, c.position) << testing::PrintToString(c.text);
    }
}
