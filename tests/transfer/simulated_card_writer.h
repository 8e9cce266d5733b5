#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "transfer/usb_transport.h"

// Card writers simulated from the device's side, behind the real USB layer's
// table of functions; they can be unplugged (`plugged`) and told to misbehave.

enum class Misbehaviour {
    None,
    FailOpen,        // the device path cannot be opened
    FailInitialize,  // WinUSB cannot take the device
    LoseInterface,   // initialising gives no interface and no error
    FailIdentify,    // the identify request fails with `failure`
    FailBeginWrite,
    FailEndWrite,
    FailBlock,       // the bulk write of block `atBlock` fails with `failure`
    PartialBlock,    // block `atBlock` is accepted only in part (512 bytes)
    RemovedAtBlock,  // the device is pulled out before block `atBlock`
};

struct SimulatedWriterSettings {
    uint32_t replyLength = 28;  // 28, 34 or 36; anything else is a wrong reply
    uint8_t mode = 1;
    uint8_t cardModel = 7;
    uint16_t modeWord = 0;
    uint8_t bankCount = 99;
    uint32_t displayNumber = 1;
    Misbehaviour misbehaviour = Misbehaviour::None;
    uint32_t atBlock = 0;
    ErrorCode failure = ErrorCode::Failed;
};

struct SimulatedDevice {
    std::u16string path;
    bool plugged;
    SimulatedWriterSettings settings;
    std::map<uint16_t, std::vector<uint8_t>> banks;  // the images the writer kept
    uint32_t modeTwoRequests;
    bool writing;  // a write in progress: its bank and what came so far
    uint16_t writingBank;
    std::vector<uint8_t> received;
    uint32_t blocksSeen;
};

class SimulatedUsb {
public:
    SimulatedUsb();
    // A writer, at the ids of the card writer unless others are given; returns its number.
    uint32_t plugWriter(const SimulatedWriterSettings& settings, const std::u16string& serial,
                        uint16_t vendorId = 0x0483, uint16_t productId = 0xA2A1);
    SimulatedDevice& device(uint32_t number) { return devices_[number]; }
    uint32_t deviceCount() const { return uint32_t(devices_.size()); }
    const UsbTransport& transport() const { return transport_; }
    uint32_t openHandles() const { return openHandles_; }
    // Every call on a device, as "open 0", "initialize 0", "timeout 0 <pipe> <ms>",
    // "control 0 <type> <request> <value> <index> <length>" in hex, "bulk 0 <pipe> <bytes>", "free 0", "close 0".
    std::vector<std::string> requests;
    // Enumeration fails with this code after `enumerationFailsAfter` interfaces (never when unset).
    ErrorCode enumerationFailure = ErrorCode::Ok;
    uint32_t enumerationFailsAfter = UINT32_MAX;

private:
    void log(const char* format, ...);
    std::vector<SimulatedDevice> devices_;
    UsbTransport transport_;
    uint32_t openHandles_ = 0;
};
