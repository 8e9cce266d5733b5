#include "transfer/usb_transport_win.h"

#include <windows.h>

#include <initguid.h>
#include <setupapi.h>
#include <usbiodef.h>
#include <winusb.h>

#include <cstring>

namespace {

// The system reported a failure; Ok when it gave no reason (the caller then
// goes on as if the call had succeeded, as the protocol expects).
ErrorCode lastError() { return fromSystemError(GetLastError()); }

HANDLE fileOf(UsbHandle handle) { return reinterpret_cast<HANDLE>(handle); }
WINUSB_INTERFACE_HANDLE interfaceOf(UsbHandle handle) { return reinterpret_cast<WINUSB_INTERFACE_HANDLE>(handle); }

bool nextDeviceInterface(void*, UsbEnumeration& enumeration, char16_t* path, ErrorCode& error) {
    error = ErrorCode::Ok;
    if (enumeration.deviceSet == kInvalidUsbHandle) {
        HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USB_DEVICE, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (set == INVALID_HANDLE_VALUE) {
            error = lastError();
            if (error == ErrorCode::Ok) error = ErrorCode::Failed;
            return false;
        }
        enumeration.deviceSet = reinterpret_cast<UsbHandle>(set);
        enumeration.memberIndex = 0;
    }
    HDEVINFO set = reinterpret_cast<HDEVINFO>(enumeration.deviceSet);
    SP_DEVICE_INTERFACE_DATA interfaceData = {};
    interfaceData.cbSize = sizeof interfaceData;  // 32 on x64
    BOOL found = SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USB_DEVICE, enumeration.memberIndex,
                                             &interfaceData);
    DWORD enumerationError = found ? 0 : GetLastError();
    ++enumeration.memberIndex;
    if (!found) {
        error = enumerationError == ERROR_NO_MORE_ITEMS ? ErrorCode::Ok : fromSystemError(enumerationError);
        return false;
    }
    // A detail buffer of 524 bytes: the path has at most 259 characters.
    alignas(8) uint8_t detailBytes[524] = {};
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detailBytes);
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);  // 8 on x64
    if (!SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, sizeof detailBytes, nullptr, nullptr)) {
        error = lastError();
        if (error == ErrorCode::Ok) error = ErrorCode::Failed;
        return false;
    }
    uint32_t length = 0;
    while (length + 1 < kDevicePathCapacity && detail->DevicePath[length]) {
        path[length] = static_cast<char16_t>(detail->DevicePath[length]);
        ++length;
    }
    path[length] = 0;
    return true;
}

void endEnumeration(void*, UsbEnumeration& enumeration) {
    if (enumeration.deviceSet != kInvalidUsbHandle)
        SetupDiDestroyDeviceInfoList(reinterpret_cast<HDEVINFO>(enumeration.deviceSet));
    enumeration.deviceSet = kInvalidUsbHandle;
}

ErrorCode openDevice(void*, const char16_t* path, UsbHandle& file) {
    HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        file = kInvalidUsbHandle;
        return lastError();
    }
    file = reinterpret_cast<UsbHandle>(handle);
    return ErrorCode::Ok;
}

ErrorCode initializeInterface(void*, UsbHandle file, UsbHandle& usbInterface) {
    WINUSB_INTERFACE_HANDLE handle = nullptr;
    usbInterface = kInvalidUsbHandle;
    if (!WinUsb_Initialize(fileOf(file), &handle)) return lastError();
    if (handle) usbInterface = reinterpret_cast<UsbHandle>(handle);
    return ErrorCode::Ok;
}

ErrorCode setPipeTimeout(void*, UsbHandle usbInterface, uint8_t pipe, uint32_t milliseconds) {
    ULONG value = milliseconds;
    if (!WinUsb_SetPipePolicy(interfaceOf(usbInterface), pipe, PIPE_TRANSFER_TIMEOUT, sizeof value, &value))
        return lastError();
    return ErrorCode::Ok;
}

ErrorCode controlTransfer(void*, UsbHandle usbInterface, const UsbSetupPacket& setup, uint8_t* data,
                          uint32_t& transferred) {
    WINUSB_SETUP_PACKET packet = {};
    packet.RequestType = setup.requestType;
    packet.Request = setup.request;
    packet.Value = setup.value;
    packet.Index = setup.index;
    packet.Length = setup.length;
    ULONG done = 0;
    BOOL ok = WinUsb_ControlTransfer(interfaceOf(usbInterface), packet, data, setup.length, &done, nullptr);
    transferred = done;
    return ok ? ErrorCode::Ok : lastError();
}

ErrorCode bulkWrite(void*, UsbHandle usbInterface, uint8_t pipe, const uint8_t* data, uint32_t size,
                    uint32_t& transferred) {
    ULONG done = 0;
    BOOL ok = WinUsb_WritePipe(interfaceOf(usbInterface), pipe, const_cast<PUCHAR>(data), size, &done, nullptr);
    transferred = done;
    return ok ? ErrorCode::Ok : lastError();
}

void freeInterface(void*, UsbHandle usbInterface) {
    if (usbInterface != kInvalidUsbHandle) WinUsb_Free(interfaceOf(usbInterface));
}

void closeDevice(void*, UsbHandle file) {
    if (file != kInvalidUsbHandle) CloseHandle(fileOf(file));
}

const UsbTransport kWinUsbTransport = {nullptr,        nextDeviceInterface, endEnumeration, openDevice,
                                       initializeInterface, setPipeTimeout, controlTransfer,  bulkWrite,
                                       freeInterface,  closeDevice};

}  // namespace

const UsbTransport& winUsbTransport() { return kWinUsbTransport; }
