#pragma once
#include <cstdint>

// The main window's controls: created in this order, which is also their
// z-order and so the order of Tab and of a screen reader: the card's column
// from the list down, the instrument's controls, then the transfer's. Every
// up-down control takes the control created just before it as its buddy.
// Positions and sizes are client pixels at 96 DPI.

enum class Control : uint8_t {
    InstrumentsLabel,
    InstrumentList,
    AddButton,
    RemoveButton,
    LoadSampleButton,
    CardNameLabel,
    CardNameEdit,
    UpperSeparator,
    CardSizeLabel,
    CardSizeValue,
    FreeMemoryLabel,
    FreeMemoryValue,
    VerticalSeparator,
    WaveformView,
    InstNameLabel,
    InstNameEdit,
    StartLabel,
    StartEdit,
    StartSpin,
    EndLabel,
    EndEdit,
    EndSpin,
    InstrumentCostLabel,
    InstrumentCostValue,  // the bytes the selected instrument takes on the card
    PlayButton,
    DownsampleCheck,
    DecayKnob,
    BoostKnob,
    LowerSeparator,
    WriterCombo,
    SendButton,
    TransferProgress,
    BankLabel,
    BankEdit,
    BankSpin,
    StatusText,
};
constexpr uint32_t kControlCount = uint32_t(Control::StatusText) + 1;

// The window styles the table uses, with the values of the Windows headers
// (control_table_win.cpp checks them), so that the table stays portable.
constexpr uint32_t kStyleBorder = 0x00800000;      // WS_BORDER
constexpr uint32_t kStyleVScroll = 0x00200000;     // WS_VSCROLL
constexpr uint32_t kStyleTabStop = 0x00010000;     // WS_TABSTOP
constexpr uint32_t kListNotify = 0x0001;           // LBS_NOTIFY
constexpr uint32_t kStaticRight = 0x0002;          // SS_RIGHT
constexpr uint32_t kStaticCentreImage = 0x0200;    // SS_CENTERIMAGE
constexpr uint32_t kComboDropDownList = 0x0003;    // CBS_DROPDOWNLIST
constexpr uint32_t kEditNumber = 0x2000;           // ES_NUMBER
constexpr uint32_t kButtonAutoCheckBox = 0x0003;   // BS_AUTOCHECKBOX
constexpr uint32_t kSpinSetBuddyInt = 0x0002;      // UDS_SETBUDDYINT
constexpr uint32_t kSpinAlignRight = 0x0004;       // UDS_ALIGNRIGHT
constexpr uint32_t kSpinAutoBuddy = 0x0010;        // UDS_AUTOBUDDY
constexpr uint32_t kSpinArrowKeys = 0x0020;        // UDS_ARROWKEYS
constexpr uint32_t kSpinNoThousands = 0x0080;      // UDS_NOTHOUSANDS

// ControlSpec flags.
constexpr uint32_t kBoldFont = 8;

struct ControlSpec {
    uint16_t x, y, width, height;
    const char16_t* className;
    const char16_t* text;  // null: no window text
    uint32_t style;        // WS_CHILD is added at creation, WS_VISIBLE by the first layout
    uint32_t exStyle;
    uint32_t fontPoints;   // 0: the base font's size
    uint32_t flags;
};

extern const ControlSpec kControlTable[kControlCount];

inline const ControlSpec& controlSpec(Control control) { return kControlTable[uint32_t(control)]; }

// The client area at 96 DPI: everything above lies inside it with a margin of 10.
constexpr int32_t kClientWidth = 770;
constexpr int32_t kClientHeight = 355;
