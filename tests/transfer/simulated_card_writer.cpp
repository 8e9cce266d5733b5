#include "simulated_card_writer.h"

#include <cstring>

namespace {

// Handles carry the device number; interfaces are told apart from files.
constexpr UsbHandle kFileBase = 0x1000;
constexpr UsbHandle kInterfaceBase = 0x2000;
// What the system reports: a time-out (ERROR_SEM_TIMEOUT) and a device that is gone.
const ErrorCode kTimedOut = fromSystemError(121);
const ErrorCode kFailed = fromSystemError(31);
const ErrorCode kGone = fromSystemError(1167);

char16_t hexDigit(uint32_t v) { return static_cast<char16_t>(v < 10 ? u'0' + v : u'a' + v - 10); }

SimulatedUsb* self(void* context) { return static_cast<SimulatedUsb*>(context); }

}  // namespace

std::u16string usbDevicePath(uint16_t vendorId, uint16_t productId, const std::u16string& serial) {
    std::u16string path = u"\\\\?\\usb#vid_";
    for (int shift = 12; shift >= 0; shift -= 4) path += hexDigit((vendorId >> shift) & 0xF);
    path += u"&pid_";
    for (int shift = 12; shift >= 0; shift -= 4) path += hexDigit((productId >> shift) & 0xF);
    path += u"#" + serial + u"#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    return path;
}

SimulatedUsb::SimulatedUsb() {
    transport_ = {this,          nextDeviceInterface, endEnumeration, openDevice, initializeInterface,
                  setPipeTimeout, controlTransfer,    bulkWrite,      freeInterface, closeDevice};
}

uint32_t SimulatedUsb::plugWriter(const SimulatedWriterSettings& settings, const std::u16string& serial) {
    SimulatedDevice device;
    device.path = usbDevicePath(0x0483, 0xA2A1, serial);
    device.isWriter = true;
    device.plugged = true;
    device.settings = settings;
    devices_.push_back(device);
    return uint32_t(devices_.size() - 1);
}

uint32_t SimulatedUsb::plugOtherDevice(uint16_t vendorId, uint16_t productId, const std::u16string& serial) {
    SimulatedDevice device;
    device.path = usbDevicePath(vendorId, productId, serial);
    device.isWriter = false;
    device.plugged = true;
    devices_.push_back(device);
    return uint32_t(devices_.size() - 1);
}

void SimulatedUsb::unplug(uint32_t device) { devices_[device].plugged = false; }
void SimulatedUsb::replug(uint32_t device) { devices_[device].plugged = true; }

bool SimulatedUsb::nextDeviceInterface(void* context, UsbEnumeration& e, char16_t* path, ErrorCode& error) {
    SimulatedUsb& usb = *self(context);
    if (e.deviceSet == kInvalidUsbHandle) {
        e.deviceSet = 1;
        e.memberIndex = 0;
    }
    uint32_t seen = 0;
    for (uint32_t i = 0; i < usb.devices_.size(); ++i) {
        if (!usb.devices_[i].plugged) continue;
        if (seen++ < e.memberIndex) continue;
        if (e.memberIndex >= usb.enumerationFailsAfter) {
            error = usb.enumerationFailure;
            return false;
        }
        ++e.memberIndex;
        const std::u16string& p = usb.devices_[i].path;
        size_t length = p.size() < kDevicePathCapacity - 1 ? p.size() : kDevicePathCapacity - 1;
        memcpy(path, p.data(), length * sizeof(char16_t));
        path[length] = 0;
        error = ErrorCode::Ok;
        return true;
    }
    error = ErrorCode::Ok;
    return false;
}

void SimulatedUsb::endEnumeration(void*, UsbEnumeration& e) { e.deviceSet = kInvalidUsbHandle; }

ErrorCode SimulatedUsb::openDevice(void* context, const char16_t* path, UsbHandle& file) {
    SimulatedUsb& usb = *self(context);
    file = kInvalidUsbHandle;
    for (uint32_t i = 0; i < usb.devices_.size(); ++i) {
        SimulatedDevice& d = usb.devices_[i];
        if (d.path != path) continue;
        usb.requests.push_back({SimulatedRequest::Open, i, {}, 0, 0});
        if (!d.plugged) return fromSystemError(2);
        if (d.settings.misbehaviour == Misbehaviour::FailOpen) return fromSystemError(5);
        file = kFileBase + i;
        ++usb.openFiles_;
        return ErrorCode::Ok;
    }
    return fromSystemError(2);
}

ErrorCode SimulatedUsb::initializeInterface(void* context, UsbHandle file, UsbHandle& usbInterface) {
    SimulatedUsb& usb = *self(context);
    usbInterface = kInvalidUsbHandle;
    uint32_t i = uint32_t(file - kFileBase);
    usb.requests.push_back({SimulatedRequest::Initialize, i, {}, 0, 0});
    SimulatedDevice& d = usb.devices_[i];
    if (!d.plugged) return kGone;
    if (!d.isWriter || d.settings.misbehaviour == Misbehaviour::FailInitialize) return kFailed;
    if (d.settings.misbehaviour == Misbehaviour::LoseInterface) return ErrorCode::Ok;
    usbInterface = kInterfaceBase + i;
    ++usb.openInterfaces_;
    return ErrorCode::Ok;
}

ErrorCode SimulatedUsb::setPipeTimeout(void* context, UsbHandle usbInterface, uint8_t pipe, uint32_t milliseconds) {
    SimulatedUsb& usb = *self(context);
    usb.requests.push_back({SimulatedRequest::Timeout, uint32_t(usbInterface - kInterfaceBase), {}, pipe, milliseconds});
    return ErrorCode::Ok;
}

ErrorCode SimulatedUsb::controlTransfer(void* context, UsbHandle usbInterface, const UsbSetupPacket& setup,
                                        uint8_t* data, uint32_t& transferred) {
    SimulatedUsb& usb = *self(context);
    uint32_t i = uint32_t(usbInterface - kInterfaceBase);
    usb.requests.push_back({SimulatedRequest::Control, i, setup, 0, 0});
    SimulatedDevice& d = usb.devices_[i];
    const SimulatedWriterSettings& s = d.settings;
    transferred = 0;
    if (!d.plugged) return kGone;
    if (setup.requestType == 0xC0 && setup.request == 0x01) {
        if (s.misbehaviour == Misbehaviour::FailIdentify) return kFailed;
        if (s.misbehaviour == Misbehaviour::TimeoutIdentify) return kTimedOut;
        uint8_t reply[64] = {};
        reply[0] = s.mode;
        reply[1] = s.cardModel;
        reply[2] = uint8_t(s.infoWord);
        reply[3] = uint8_t(s.infoWord >> 8);
        reply[4] = uint8_t(s.modeWord);
        reply[5] = uint8_t(s.modeWord >> 8);
        reply[6] = s.bankCount;
        reply[7] = s.infoByte;
        for (int k = 0; k < 4; ++k) reply[8 + k] = uint8_t(s.cardSize >> (8 * k));
        if (s.replyLength == 36) {
            memcpy(reply + 12, s.identifier, 24);
        } else {
            for (int k = 0; k < 4; ++k) reply[12 + k] = uint8_t(s.displayNumber >> (8 * k));
            memcpy(reply + 16, s.identifier, 12);
            reply[28] = uint8_t(s.tailWord);
            reply[29] = uint8_t(s.tailWord >> 8);
        }
        // The host's buffer is as long as the request's length field.
        transferred = s.replyLength < setup.length ? s.replyLength : setup.length;
        memcpy(data, reply, transferred);
        return ErrorCode::Ok;
    }
    if (setup.requestType == 0x40 && setup.request == 0x05) {
        ++d.modeTwoRequests;
        return ErrorCode::Ok;
    }
    if (setup.requestType == 0x40 && setup.request == 0x02) {
        if (s.misbehaviour == Misbehaviour::FailBeginWrite) return kFailed;
        d.writing = true;
        d.writingBank = setup.value;
        d.received.clear();
        d.blocksSeen = 0;
        return ErrorCode::Ok;
    }
    if (setup.requestType == 0x40 && setup.request == 0x03) {
        if (s.misbehaviour == Misbehaviour::FailEndWrite) return kFailed;
        if (d.writing) d.banks[d.writingBank] = d.received;
        d.writing = false;
        return ErrorCode::Ok;
    }
    return fromSystemError(22);  // a request the writer does not know
}

ErrorCode SimulatedUsb::bulkWrite(void* context, UsbHandle usbInterface, uint8_t pipe, const uint8_t* data,
                                  uint32_t size, uint32_t& transferred) {
    SimulatedUsb& usb = *self(context);
    uint32_t i = uint32_t(usbInterface - kInterfaceBase);
    usb.requests.push_back({SimulatedRequest::Bulk, i, {}, pipe, size});
    SimulatedDevice& d = usb.devices_[i];
    const SimulatedWriterSettings& s = d.settings;
    transferred = 0;
    uint32_t block = d.blocksSeen++;
    if (s.misbehaviour == Misbehaviour::RemovedAtBlock && block >= s.atBlock) d.plugged = false;
    if (!d.plugged) return kGone;
    if (pipe != 0x01 || !d.writing) return kFailed;
    if (block == s.atBlock && s.misbehaviour == Misbehaviour::FailBlock) return kFailed;
    if (block == s.atBlock && s.misbehaviour == Misbehaviour::TimeoutBlock) return kTimedOut;
    if (block == s.atBlock && s.misbehaviour == Misbehaviour::OverflowBlock) return fromSystemError(122);
    transferred = block == s.atBlock && s.misbehaviour == Misbehaviour::PartialBlock ? size / 2 : size;
    d.received.insert(d.received.end(), data, data + transferred);
    return ErrorCode::Ok;
}

void SimulatedUsb::freeInterface(void* context, UsbHandle usbInterface) {
    SimulatedUsb& usb = *self(context);
    usb.requests.push_back({SimulatedRequest::FreeInterface, uint32_t(usbInterface - kInterfaceBase), {}, 0, 0});
    --usb.openInterfaces_;
}

void SimulatedUsb::closeDevice(void* context, UsbHandle file) {
    SimulatedUsb& usb = *self(context);
    usb.requests.push_back({SimulatedRequest::Close, uint32_t(file - kFileBase), {}, 0, 0});
    --usb.openFiles_;
}
