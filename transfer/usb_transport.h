#pragma once
#include <cstdint>

#include "core/error_code.h"

// Everything the program asks of USB, as a table of functions: the Windows
// build fills it with SetupAPI and WinUSB, the tests with a simulated card
// writer. Each function returns the program's code for what went wrong, Ok
// when the system reported no error (a call that failed without a reason is
// then treated as a success, and handles tell what really happened).

using UsbHandle = uintptr_t;
constexpr UsbHandle kInvalidUsbHandle = ~UsbHandle(0);
constexpr uint32_t kDevicePathCapacity = 260;

struct UsbSetupPacket {
    uint8_t requestType;
    uint8_t request;
    uint16_t value;
    uint16_t index;
    uint16_t length;
};

// One walk over the present USB device interfaces.
struct UsbEnumeration {
    UsbHandle deviceSet;   // invalid until the first step
    uint32_t memberIndex;  // of the next interface
};

struct UsbTransport {
    void* context;
    // The next present USB device interface: its path, terminated. False at
    // the end (error Ok) or on a failure (error set).
    bool (*nextDeviceInterface)(void* context, UsbEnumeration& enumeration, char16_t* path, ErrorCode& error);
    void (*endEnumeration)(void* context, UsbEnumeration& enumeration);
    ErrorCode (*openDevice)(void* context, const char16_t* path, UsbHandle& file);
    ErrorCode (*initializeInterface)(void* context, UsbHandle file, UsbHandle& usbInterface);
    ErrorCode (*setPipeTimeout)(void* context, UsbHandle usbInterface, uint8_t pipe, uint32_t milliseconds);
    ErrorCode (*controlTransfer)(void* context, UsbHandle usbInterface, const UsbSetupPacket& setup, uint8_t* data,
                                 uint32_t& transferred);
    ErrorCode (*bulkWrite)(void* context, UsbHandle usbInterface, uint8_t pipe, const uint8_t* data, uint32_t size,
                           uint32_t& transferred);
    void (*freeInterface)(void* context, UsbHandle usbInterface);
    void (*closeDevice)(void* context, UsbHandle file);
};
