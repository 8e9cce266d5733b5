#include "app/control_table.h"

namespace {

constexpr uint32_t kLabel = kStaticCentreImage;
constexpr uint32_t kRightLabel = kStaticRight | kStaticCentreImage;
constexpr uint32_t kTextField = kStyleBorder | kStyleTabStop;
constexpr uint32_t kNumberField = kStyleBorder | kStyleTabStop | kEditNumber;
constexpr uint32_t kSpin = kSpinSetBuddyInt | kSpinAlignRight | kSpinAutoBuddy | kSpinArrowKeys;
// Sample positions run past 9999: no thousands separator, or the buddy could not be read back.
constexpr uint32_t kSampleSpin = kSpin | kSpinNoThousands;

constexpr char16_t kStatic[] = u"Static";
constexpr char16_t kButton[] = u"Button";
constexpr char16_t kEdit[] = u"Edit";
constexpr char16_t kUpDown[] = u"msctls_updown32";

}  // namespace

// clang-format off
const ControlSpec kControlTable[kControlCount] = {
    // x,   y,   w,   h,  class,                 text,                   style
    {10,  10,  110,  23, kStatic,               u"Instruments",          kLabel, 0, 0, 0},
    {10,  33,  110, 140, u"ListBox",            nullptr,                 kStyleBorder | kStyleVScroll | kStyleTabStop | kListNotify, 0, 0, 0},
    {10,  173,  23,  23, kButton,               u"+",                    kStyleTabStop, 0, 13, kBoldFont},
    {33,  173,  23,  23, kButton,               u"-",                    kStyleTabStop, 0, 13, kBoldFont},
    {130,  10,  70,  23, kStatic,               u"Card Name",            kLabel, 0, 0, 0},
    {210,  10, 110,  23, kEdit,                 nullptr,                 kTextField, 0, 0, 0},
    {220, 173, 100,  23, kButton,               u"Load Sample",          kStyleTabStop, 0, 0, 0},
    {10,  206, 310,   1, kStatic,               nullptr,                 kStyleBorder, 0, 0, 0},
    {10,  210, 153,  20, kStatic,               u"Card Size:",           kRightLabel, 0, 0, 0},
    {167, 210, 153,  20, kStatic,               u"0 Byte",               kLabel, 0, 0, 0},
    {10,  230, 153,  20, kStatic,               u"Free Memory:",         kRightLabel, 0, 0, 0},
    {167, 230, 153,  20, kStatic,               u"0 Byte",               kLabel, 0, 0, 0},
    {10,  253, 310,   1, kStatic,               nullptr,                 kStyleBorder, 0, 0, 0},
    {10,  263, 200, 150, u"ComboBox",           nullptr,                 kStyleTabStop | kComboDropDownList, 0, 0, 0},
    {220, 264, 100,  23, kButton,               u"Send to Card",         kStyleTabStop, 0, 0, 0},
    {10,  301, 200,  15, u"msctls_progress32",  nullptr,                 0, 0, 0, 0},
    {220, 297,  50,  23, kStatic,               u"Bank",                 kRightLabel, 0, 0, 0},
    {275, 297,  30,  23, kEdit,                 nullptr,                 kNumberField, 0, 0, 0},
    {305, 297,  14,  23, kUpDown,               nullptr,                 kSpin, 0, 0, 0},
    {10,  320, 310,  23, kStatic,               u"Idle",                 kLabel, 0, 0, 0},
    {330,  10,   1, 335, kStatic,               nullptr,                 kStyleBorder, 0, 0, 0},
    {340,  10, 420, 120, u"VXWaveformView",     nullptr,                 kStyleTabStop, 0, 0, 0},
    {340, 140,  70,  23, kStatic,               u"Inst. Name",           kRightLabel, 0, 0, 0},
    {415, 140, 100,  23, kEdit,                 nullptr,                 kTextField, 0, 0, 0},
    {340, 173,  70,  23, kStatic,               u"Start",                kRightLabel, 0, 0, 0},
    {415, 173,  86,  23, kEdit,                 nullptr,                 kNumberField, 0, 0, 0},
    {501, 173,  14,  23, kUpDown,               nullptr,                 kSampleSpin, 0, 0, 0},
    {340, 206,  70,  23, kStatic,               u"End",                  kRightLabel, 0, 0, 0},
    {415, 206,  86,  23, kEdit,                 nullptr,                 kNumberField, 0, 0, 0},
    {501, 206,  14,  23, kUpDown,               nullptr,                 kSampleSpin, 0, 0, 0},
    {650, 140, 110,  23, kButton,               u"Play",                 kStyleTabStop, 0, 0, 0},
    {600, 173, 160,  17, kButton,               u"Downsample to Tune 0", kStyleTabStop | kButtonAutoCheckBox, 0, 0, 0},
    {650, 200,  50,  90, u"VXRotaryKnob",       u"Decay",                kStyleTabStop, 0, 0, 0},
    {710, 200,  50,  90, u"VXRotaryKnob",       u"Boost",                kStyleTabStop, 0, 0, 0},
    {340, 239,  70,  20, kStatic,               u"On Card",              kRightLabel, 0, 0, 0},
    {415, 239, 180,  20, kStatic,               nullptr,                 kLabel, 0, 0, 0},
};
// clang-format on
