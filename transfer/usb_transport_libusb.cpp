#include "transfer/usb_transport_libusb.h"

#include "core/text.h"

#include <libusb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// One opened device: libusb keeps time-outs per call, so the pipe policy is kept here.
struct OpenDevice {
    libusb_device_handle* handle;
    bool claimed;
    uint32_t controlTimeout;
    uint32_t bulkTimeout;
};

constexpr int kWriterInterface = 0;

ErrorCode fromLibusb(int error) {
    switch (error) {
    case LIBUSB_SUCCESS: return ErrorCode::Ok;
    case LIBUSB_ERROR_IO: return ErrorCode::DataError;
    case LIBUSB_ERROR_INVALID_PARAM: return ErrorCode::InvalidArgument;
    case LIBUSB_ERROR_ACCESS: return ErrorCode::AccessDenied;
    case LIBUSB_ERROR_NO_DEVICE: return ErrorCode::DeviceGone;
    case LIBUSB_ERROR_NOT_FOUND: return ErrorCode::NotFound;
    case LIBUSB_ERROR_BUSY: return ErrorCode::NotReady;
    case LIBUSB_ERROR_TIMEOUT: return ErrorCode::Timeout;
    case LIBUSB_ERROR_OVERFLOW: return ErrorCode::BufferTooSmall;
    case LIBUSB_ERROR_PIPE: return ErrorCode::BrokenPipe;
    case LIBUSB_ERROR_NO_MEM: return ErrorCode::OutOfMemory;
    case LIBUSB_ERROR_NOT_SUPPORTED: return ErrorCode::NotSupported;
    default: return ErrorCode::Failed;
    }
}

// One libusb context for the program, made when first needed; null when the
// system offers no USB access (then there are simply no devices).
libusb_context* usbContext() {
    static libusb_context* context = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (libusb_init(&context) != LIBUSB_SUCCESS) context = nullptr;
    }
    return context;
}

// "usb#vid_0483&pid_a2a1#3-1.4": the ids, then where the device is plugged in.
void makePath(libusb_device* device, const libusb_device_descriptor& descriptor, char16_t* path) {
    char text[kDevicePathCapacity];
    int length = snprintf(text, sizeof text, "usb#vid_%04x&pid_%04x#%u", descriptor.idVendor,
                          descriptor.idProduct, unsigned(libusb_get_bus_number(device)));
    uint8_t ports[8];
    int depth = libusb_get_port_numbers(device, ports, 8);
    for (int i = 0; i < depth && length > 0 && length < int(sizeof text) - 5; ++i)
        length += snprintf(text + length, sizeof text - length, "%c%u", i == 0 ? '-' : '.', unsigned(ports[i]));
    if (length < 0) length = 0;
    if (length >= int(kDevicePathCapacity)) length = kDevicePathCapacity - 1;
    for (int i = 0; i < length; ++i) path[i] = static_cast<char16_t>(text[i]);
    path[length] = 0;
}

bool nextDeviceInterface(void*, UsbEnumeration& enumeration, char16_t* path, ErrorCode& error) {
    error = ErrorCode::Ok;
    libusb_context* context = usbContext();
    if (!context) return false;
    if (enumeration.deviceSet == kInvalidUsbHandle) {
        libusb_device** list = nullptr;
        ssize_t count = libusb_get_device_list(context, &list);
        if (count < 0) {
            error = fromLibusb(int(count));
            return false;
        }
        enumeration.deviceSet = reinterpret_cast<UsbHandle>(list);
        enumeration.memberIndex = 0;
    }
    libusb_device** list = reinterpret_cast<libusb_device**>(enumeration.deviceSet);
    libusb_device* device = list[enumeration.memberIndex];  // the list ends with null
    if (!device) return false;
    ++enumeration.memberIndex;
    libusb_device_descriptor descriptor;
    if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS) memset(&descriptor, 0, sizeof descriptor);
    makePath(device, descriptor, path);
    return true;
}

void endEnumeration(void*, UsbEnumeration& enumeration) {
    if (enumeration.deviceSet != kInvalidUsbHandle)
        libusb_free_device_list(reinterpret_cast<libusb_device**>(enumeration.deviceSet), 1);
    enumeration.deviceSet = kInvalidUsbHandle;
}

ErrorCode openDevice(void*, const char16_t* path, UsbHandle& file) {
    file = kInvalidUsbHandle;
    libusb_context* context = usbContext();
    if (!context) return ErrorCode::NotFound;
    UsbEnumeration enumeration = {kInvalidUsbHandle, 0};
    char16_t candidate[kDevicePathCapacity];
    ErrorCode code = ErrorCode::NotFound;
    ErrorCode error = ErrorCode::Ok;
    while (nextDeviceInterface(nullptr, enumeration, candidate, error)) {
        if (!textEquals(viewOf(candidate), viewOf(path))) continue;
        libusb_device* device = reinterpret_cast<libusb_device**>(enumeration.deviceSet)[enumeration.memberIndex - 1];
        libusb_device_handle* handle = nullptr;
        int result = libusb_open(device, &handle);
        if (result != LIBUSB_SUCCESS) {
            code = fromLibusb(result);
            break;
        }
        auto* open = static_cast<OpenDevice*>(malloc(sizeof(OpenDevice)));
        if (!open) {
            libusb_close(handle);
            code = ErrorCode::OutOfMemory;
            break;
        }
        *open = {handle, false, 1000, 5000};
        file = reinterpret_cast<UsbHandle>(open);
        code = ErrorCode::Ok;
        break;
    }
    endEnumeration(nullptr, enumeration);
    return code;
}

ErrorCode initializeInterface(void*, UsbHandle file, UsbHandle& usbInterface) {
    usbInterface = kInvalidUsbHandle;
    auto* open = reinterpret_cast<OpenDevice*>(file);
    libusb_set_auto_detach_kernel_driver(open->handle, 1);
    int result = libusb_claim_interface(open->handle, kWriterInterface);
    if (result != LIBUSB_SUCCESS) return fromLibusb(result);
    open->claimed = true;
    usbInterface = file;
    return ErrorCode::Ok;
}

ErrorCode setPipeTimeout(void*, UsbHandle usbInterface, uint8_t pipe, uint32_t milliseconds) {
    auto* open = reinterpret_cast<OpenDevice*>(usbInterface);
    (pipe == 0 ? open->controlTimeout : open->bulkTimeout) = milliseconds;
    return ErrorCode::Ok;
}

ErrorCode controlTransfer(void*, UsbHandle usbInterface, const UsbSetupPacket& setup, uint8_t* data,
                          uint32_t& transferred) {
    auto* open = reinterpret_cast<OpenDevice*>(usbInterface);
    int result = libusb_control_transfer(open->handle, setup.requestType, setup.request, setup.value, setup.index,
                                         data, setup.length, open->controlTimeout);
    transferred = result > 0 ? uint32_t(result) : 0;
    return result < 0 ? fromLibusb(result) : ErrorCode::Ok;
}

ErrorCode bulkWrite(void*, UsbHandle usbInterface, uint8_t pipe, const uint8_t* data, uint32_t size,
                    uint32_t& transferred) {
    auto* open = reinterpret_cast<OpenDevice*>(usbInterface);
    int done = 0;
    int result = libusb_bulk_transfer(open->handle, pipe | LIBUSB_ENDPOINT_OUT, const_cast<uint8_t*>(data),
                                      int(size), &done, open->bulkTimeout);
    transferred = done > 0 ? uint32_t(done) : 0;
    return result < 0 ? fromLibusb(result) : ErrorCode::Ok;
}

void freeInterface(void*, UsbHandle usbInterface) {
    auto* open = reinterpret_cast<OpenDevice*>(usbInterface);
    if (open && open->claimed) {
        libusb_release_interface(open->handle, kWriterInterface);
        open->claimed = false;
    }
}

void closeDevice(void*, UsbHandle file) {
    auto* open = reinterpret_cast<OpenDevice*>(file);
    if (!open) return;
    if (open->claimed) libusb_release_interface(open->handle, kWriterInterface);
    libusb_close(open->handle);
    free(open);
}

const UsbTransport kLibusbTransport = {nullptr,        nextDeviceInterface, endEnumeration, openDevice,
                                       initializeInterface, setPipeTimeout, controlTransfer,  bulkWrite,
                                       freeInterface,  closeDevice};

}  // namespace

const UsbTransport& libusbTransport() { return kLibusbTransport; }
