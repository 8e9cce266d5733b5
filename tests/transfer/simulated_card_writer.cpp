#include "simulated_card_writer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Handles carry the device number; interfaces are told apart from files.
constexpr UsbHandle kFileBase = 0x1000;
constexpr UsbHandle kInterfaceBase = 0x2000;
// What the system reports for a device that is gone: ERROR_DEVICE_NOT_CONNECTED.
const ErrorCode kGone = fromSystemError(1167);

SimulatedUsb& self(void* context) { return *static_cast<SimulatedUsb*>(context); }

void putLE(uint8_t* at, uint32_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) at[k] = uint8_t(value >> (8 * k));
}

}  // namespace

void SimulatedUsb::log(const char* format, ...) {
    char line[64];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    requests.push_back(line);
}

uint32_t SimulatedUsb::plugWriter(const SimulatedWriterSettings& settings, const std::u16string& serial,
                                  uint16_t vendorId, uint16_t productId) {
    // The path the system gives a USB device interface with these ids.
    char ids[32];
    snprintf(ids, sizeof ids, "\\\\?\\usb#vid_%04x&pid_%04x#", vendorId, productId);
    SimulatedDevice device = {};
    device.path = std::u16string(ids, ids + strlen(ids)) + serial + u"#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    device.plugged = true;
    device.settings = settings;
    devices_.push_back(device);
    return uint32_t(devices_.size() - 1);
}

SimulatedUsb::SimulatedUsb() {
    transport_.context = this;
    transport_.nextDeviceInterface = [](void* context, UsbEnumeration& e, char16_t* path, ErrorCode& error) {
        SimulatedUsb& usb = self(context);
        if (e.deviceSet == kInvalidUsbHandle) e = {1, 0};
        error = ErrorCode::Ok;
        uint32_t seen = 0;
        for (const SimulatedDevice& d : usb.devices_) {
            if (!d.plugged || seen++ < e.memberIndex) continue;
            if (e.memberIndex >= usb.enumerationFailsAfter) {
                error = usb.enumerationFailure;
                return false;
            }
            ++e.memberIndex;
            size_t length = d.path.size() < kDevicePathCapacity - 1 ? d.path.size() : kDevicePathCapacity - 1;
            memcpy(path, d.path.data(), length * sizeof(char16_t));
            path[length] = 0;
            return true;
        }
        return false;
    };
    transport_.endEnumeration = [](void*, UsbEnumeration& e) { e.deviceSet = kInvalidUsbHandle; };
    transport_.openDevice = [](void* context, const char16_t* path, UsbHandle& file) {
        SimulatedUsb& usb = self(context);
        file = kInvalidUsbHandle;
        for (uint32_t i = 0; i < usb.devices_.size(); ++i) {
            SimulatedDevice& d = usb.devices_[i];
            if (d.path != path) continue;
            usb.log("open %u", i);
            if (!d.plugged) break;
            if (d.settings.misbehaviour == Misbehaviour::FailOpen) return fromSystemError(5);
            file = kFileBase + i;
            ++usb.openHandles_;
            return ErrorCode::Ok;
        }
        return fromSystemError(2);
    };
    transport_.initializeInterface = [](void* context, UsbHandle file, UsbHandle& usbInterface) {
        SimulatedUsb& usb = self(context);
        usbInterface = kInvalidUsbHandle;
        uint32_t i = uint32_t(file - kFileBase);
        usb.log("initialize %u", i);
        SimulatedDevice& d = usb.devices_[i];
        if (!d.plugged) return kGone;
        if (d.settings.misbehaviour == Misbehaviour::FailInitialize) return ErrorCode::Failed;
        if (d.settings.misbehaviour == Misbehaviour::LoseInterface) return ErrorCode::Ok;
        usbInterface = kInterfaceBase + i;
        ++usb.openHandles_;
        return ErrorCode::Ok;
    };
    transport_.setPipeTimeout = [](void* context, UsbHandle usbInterface, uint8_t pipe, uint32_t milliseconds) {
        self(context).log("timeout %u %u %u", unsigned(usbInterface - kInterfaceBase), pipe, milliseconds);
        return ErrorCode::Ok;
    };
    transport_.controlTransfer = [](void* context, UsbHandle usbInterface, const UsbSetupPacket& setup,
                                    uint8_t* data, uint32_t& transferred) {
        SimulatedUsb& usb = self(context);
        uint32_t i = uint32_t(usbInterface - kInterfaceBase);
        usb.log("control %u %02x %02x %04x %04x %04x", i, setup.requestType, setup.request, setup.value, setup.index,
                setup.length);
        SimulatedDevice& d = usb.devices_[i];
        const SimulatedWriterSettings& s = d.settings;
        transferred = 0;
        if (!d.plugged) return kGone;
        if (setup.requestType == 0xC0 && setup.request == 0x01) {
            if (s.misbehaviour == Misbehaviour::FailIdentify) return s.failure;
            uint8_t reply[64] = {s.mode, s.cardModel};
            putLE(reply + 4, s.modeWord, 2);
            reply[6] = s.bankCount;
            putLE(reply + 8, 65536, 4);
            if (s.replyLength != 36) putLE(reply + 12, s.displayNumber, 4);
            // The host's buffer is as long as the request's length field.
            transferred = s.replyLength < setup.length ? s.replyLength : setup.length;
            memcpy(data, reply, transferred);
            return ErrorCode::Ok;
        }
        if (setup.requestType != 0x40) return fromSystemError(22);  // a request the writer does not know
        if (setup.request == 0x05) {
            ++d.modeTwoRequests;
        } else if (setup.request == 0x02) {
            if (s.misbehaviour == Misbehaviour::FailBeginWrite) return ErrorCode::Failed;
            d.writing = true;
            d.writingBank = setup.value;
            d.received.clear();
            d.blocksSeen = 0;
        } else if (setup.request == 0x03) {
            if (s.misbehaviour == Misbehaviour::FailEndWrite) return ErrorCode::Failed;
            if (d.writing) d.banks[d.writingBank] = d.received;
            d.writing = false;
        } else {
            return fromSystemError(22);
        }
        return ErrorCode::Ok;
    };
    transport_.bulkWrite = [](void* context, UsbHandle usbInterface, uint8_t pipe, const uint8_t* data,
                              uint32_t size, uint32_t& transferred) {
        SimulatedUsb& usb = self(context);
        uint32_t i = uint32_t(usbInterface - kInterfaceBase);
        usb.log("bulk %u %u %u", i, pipe, size);
        SimulatedDevice& d = usb.devices_[i];
        const SimulatedWriterSettings& s = d.settings;
        transferred = 0;
        bool atBlock = d.blocksSeen++ == s.atBlock;
        if (s.misbehaviour == Misbehaviour::RemovedAtBlock && d.blocksSeen > s.atBlock) d.plugged = false;
        if (!d.plugged) return kGone;
        if (pipe != 0x01 || !d.writing) return ErrorCode::Failed;
        if (atBlock && s.misbehaviour == Misbehaviour::FailBlock) return s.failure;
        transferred = atBlock && s.misbehaviour == Misbehaviour::PartialBlock ? size / 2 : size;
        d.received.insert(d.received.end(), data, data + transferred);
        return ErrorCode::Ok;
    };
    transport_.freeInterface = [](void* context, UsbHandle usbInterface) {
        self(context).log("free %u", unsigned(usbInterface - kInterfaceBase));
        --self(context).openHandles_;
    };
    transport_.closeDevice = [](void* context, UsbHandle file) {
        self(context).log("close %u", unsigned(file - kFileBase));
        --self(context).openHandles_;
    };
}
