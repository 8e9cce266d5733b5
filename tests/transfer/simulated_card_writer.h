#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "transfer/usb_transport.h"

// Card writers simulated from the device's side of the protocol, behind the
// same table of functions as the real USB layer. Writers (and other USB
// devices) can be plugged in and out between discovery passes, and told to
// misbehave.

enum class Misbehaviour {
    None,
    FailOpen,           // the device path cannot be opened
    FailInitialize,     // WinUSB cannot take the device
    LoseInterface,      // initialising gives no interface and no error
    FailIdentify,       // the identify request fails
    TimeoutIdentify,    // ... by timing out
    FailBeginWrite,
    FailEndWrite,
    FailBlock,          // the bulk write of block `atBlock` fails
    TimeoutBlock,       // ... by timing out
    PartialBlock,       // block `atBlock` is accepted only in part (512 bytes)
    RemovedAtBlock,     // the device is pulled out before block `atBlock`
    OverflowBlock,      // block `atBlock` fails with the system's "insufficient buffer"
};

struct SimulatedWriterSettings {
    uint32_t replyLength = 28;  // 28, 34 or 36; anything else is a wrong reply
    uint8_t mode = 1;
    uint8_t cardModel = 7;
    uint16_t infoWord = 0x1234;
    uint16_t modeWord = 0;
    uint8_t bankCount = 99;
    uint8_t infoByte = 0x5A;
    uint32_t cardSize = 65536;
    uint32_t displayNumber = 1;
    uint8_t identifier[24] = {};  // 12 bytes in the short forms, 24 of text in the long one
    uint16_t tailWord = 0;
    Misbehaviour misbehaviour = Misbehaviour::None;
    uint32_t atBlock = 0;
};

struct SimulatedRequest {
    enum Kind { Open, Initialize, Timeout, Control, Bulk, FreeInterface, Close } kind;
    uint32_t device;
    UsbSetupPacket setup;  // Control
    uint8_t pipe;          // Timeout, Bulk
    uint32_t value;        // Timeout: milliseconds; Bulk: bytes asked
};

struct SimulatedDevice {
    std::u16string path;
    bool isWriter;
    bool plugged;
    SimulatedWriterSettings settings;
    // what the writer keeps
    std::map<uint16_t, std::vector<uint8_t>> banks;
    uint32_t modeTwoRequests = 0;
    // a write in progress
    bool writing = false;
    uint16_t writingBank = 0;
    std::vector<uint8_t> received;
    uint32_t blocksSeen = 0;
};

class SimulatedUsb {
public:
    SimulatedUsb();
    // A writer at a path with vendor 0x0483 and product 0xA2A1; returns its number.
    uint32_t plugWriter(const SimulatedWriterSettings& settings, const std::u16string& serial);
    // Another USB device, with the given ids.
    uint32_t plugOtherDevice(uint16_t vendorId, uint16_t productId, const std::u16string& serial);
    void unplug(uint32_t device);
    void replug(uint32_t device);
    SimulatedDevice& device(uint32_t number) { return devices_[number]; }
    uint32_t deviceCount() const { return uint32_t(devices_.size()); }
    const UsbTransport& transport() const { return transport_; }
    std::vector<SimulatedRequest> requests;
    // Enumeration fails with this code after `enumerationFailsAfter` interfaces (never when unset).
    ErrorCode enumerationFailure = ErrorCode::Ok;
    uint32_t enumerationFailsAfter = UINT32_MAX;
    uint32_t openHandles() const { return openFiles_ + openInterfaces_; }

private:
    static bool nextDeviceInterface(void* context, UsbEnumeration& e, char16_t* path, ErrorCode& error);
    static void endEnumeration(void* context, UsbEnumeration& e);
    static ErrorCode openDevice(void* context, const char16_t* path, UsbHandle& file);
    static ErrorCode initializeInterface(void* context, UsbHandle file, UsbHandle& usbInterface);
    static ErrorCode setPipeTimeout(void* context, UsbHandle usbInterface, uint8_t pipe, uint32_t milliseconds);
    static ErrorCode controlTransfer(void* context, UsbHandle usbInterface, const UsbSetupPacket& setup,
                                     uint8_t* data, uint32_t& transferred);
    static ErrorCode bulkWrite(void* context, UsbHandle usbInterface, uint8_t pipe, const uint8_t* data,
                               uint32_t size, uint32_t& transferred);
    static void freeInterface(void* context, UsbHandle usbInterface);
    static void closeDevice(void* context, UsbHandle file);

    std::vector<SimulatedDevice> devices_;
    UsbTransport transport_;
    int32_t openFiles_ = 0;
    int32_t openInterfaces_ = 0;
};

// The path the system gives a USB device interface with these ids.
std::u16string usbDevicePath(uint16_t vendorId, uint16_t productId, const std::u16string& serial);
