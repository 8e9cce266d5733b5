#include "app/typed_position.h"

bool readTypedPosition(Utf16View text, uint32_t low, uint32_t high, uint32_t& position) {
    uint32_t first = 0, last = text.length;
    while (first < last && text.units[first] == u' ') ++first;
    while (last > first && text.units[last - 1] == u' ') --last;
    if (first == last) return false;
    uint64_t value = 0;
    for (uint32_t i = first; i < last; ++i) {
        char16_t unit = text.units[i];
        if (unit < u'0' || unit > u'9') return false;
        // Held just past any 32-bit position, so that more digits cannot wrap it.
        value = value * 10 + uint64_t(unit - u'0');
        if (value > UINT32_MAX) value = uint64_t(UINT32_MAX) + 1;
    }
    if (high < low) high = low;
    position = value < low ? low : value > high ? high : uint32_t(value);
    return true;
}
