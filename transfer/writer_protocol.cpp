#include "transfer/writer_protocol.h"

#include <cstring>

#include "core/byte_cursor.h"

ErrorCode openCardWriter(const UsbTransport& usb, CardWriterConnection& connection, const char16_t* devicePath) {
    closeCardWriter(usb, connection);
    return usb.openDevice(usb.context, devicePath, connection.file);
}

ErrorCode initCardWriterInterface(const UsbTransport& usb, CardWriterConnection& connection) {
    return usb.initializeInterface(usb.context, connection.file, connection.usbInterface);
}

void closeCardWriter(const UsbTransport& usb, CardWriterConnection& connection) {
    if (connection.usbInterface != kInvalidUsbHandle) usb.freeInterface(usb.context, connection.usbInterface);
    if (connection.file != kInvalidUsbHandle) usb.closeDevice(usb.context, connection.file);
    connection = kClosedConnection;
}

ErrorCode parseIdentifyReply(CardWriterRecord& record, const uint8_t* reply, uint32_t length) {
    if (length != 28 && length != 34 && length != 36) return ErrorCode::BadResponse;
    ByteCursor c = makeCursor(reply, length);
    record.mode = readU8(c, 0);
    record.cardModel = readU8(c, 1);
    record.infoWord = readU16LE(c, 2);
    record.modeWord = readU16LE(c, 4);
    record.bankCount = readU8(c, 6);
    record.cardSize = readU32LE(c, 8);
    if (length == 36) {
        // The long form carries a 24-byte identifier text in place of the number.
        record.infoByte = 0;
        record.displayNumber = 0;
        record.tailWord = 0;
        memcpy(record.idText, reply + 12, 24);
        record.formFlags = 0x0100;
    } else {
        static const char kDigits[] = "0123456789ABCDEF";
        record.infoByte = readU8(c, 7);
        record.displayNumber = readU32LE(c, 12);
        for (uint32_t i = 0; i < 12; ++i) {
            record.idText[2 * i] = static_cast<uint8_t>(kDigits[reply[16 + i] >> 4]);
            record.idText[2 * i + 1] = static_cast<uint8_t>(kDigits[reply[16 + i] & 0xF]);
        }
        record.tailWord = length == 34 ? readU16LE(c, 28) : 0;
        record.formFlags = 0;
    }
    record.present = 1;
    return ErrorCode::Ok;
}

ErrorCode queryCardWriter(const UsbTransport& usb, CardWriterRecord& record, const char16_t* devicePath,
                          uint16_t vendorId, uint16_t productId) {
    uint32_t length = 0;
    while (length + 1 < kDevicePathCapacity && devicePath[length]) {
        record.devicePath[length] = devicePath[length];
        ++length;
    }
    record.devicePath[length] = 0;
    record.vendorId = vendorId;
    record.productId = productId;

    CardWriterConnection connection = kClosedConnection;
    ErrorCode code = openCardWriter(usb, connection, devicePath);
    if (failed(code)) return code;
    code = initCardWriterInterface(usb, connection);
    if (!failed(code) && connection.usbInterface == kInvalidUsbHandle) code = ErrorCode::NoDevice;
    if (failed(code)) {
        closeCardWriter(usb, connection);
        return code;
    }
    usb.setPipeTimeout(usb.context, connection.usbInterface, kControlPipe, kIdentifyTimeoutMs);
    uint8_t reply[36] = {};
    uint32_t replied = 0;
    code = usb.controlTransfer(usb.context, connection.usbInterface, kIdentifyRequest, reply, replied);
    usb.freeInterface(usb.context, connection.usbInterface);
    connection.usbInterface = kInvalidUsbHandle;
    if (!failed(code)) code = parseIdentifyReply(record, reply, replied > sizeof reply ? 0 : replied);
    closeCardWriter(usb, connection);
    return code;
}

void sendModeTwoRequest(const UsbTransport& usb, const char16_t* devicePath) {
    CardWriterConnection connection = kClosedConnection;
    if (failed(openCardWriter(usb, connection, devicePath))) {
        closeCardWriter(usb, connection);
        return;
    }
    initCardWriterInterface(usb, connection);
    if (connection.usbInterface != kInvalidUsbHandle) {
        uint32_t transferred = 0;
        usb.controlTransfer(usb.context, connection.usbInterface, kModeTwoRequest, nullptr, transferred);
    }
    closeCardWriter(usb, connection);
}

ErrorCode sendCardImage(const UsbTransport& usb, CardWriterConnection& connection, uint16_t bank,
                        const uint8_t* image, uint32_t size, const TransferProgress& progress) {
    ErrorCode code = initCardWriterInterface(usb, connection);
    if (failed(code)) return code;
    if (connection.usbInterface == kInvalidUsbHandle) return ErrorCode::NoDevice;
    usb.setPipeTimeout(usb.context, connection.usbInterface, kControlPipe, kControlTimeoutMs);
    usb.setPipeTimeout(usb.context, connection.usbInterface, kBulkPipe, kBulkTimeoutMs);

    uint32_t transferred = 0;
    code = usb.controlTransfer(usb.context, connection.usbInterface, beginWriteRequest(bank), nullptr, transferred);
    if (failed(code)) return code;
    uint32_t blocks = size / kCardBlockBytes;
    for (uint32_t k = 0; k < blocks; ++k) {
        if (connection.usbInterface == kInvalidUsbHandle) return ErrorCode::NoDevice;
        uint32_t written = 0;
        code = usb.bulkWrite(usb.context, connection.usbInterface, kBulkPipe, image + size_t(k) * kCardBlockBytes,
                             kCardBlockBytes, written);
        if (failed(code)) return code;
        if (written != kCardBlockBytes) return ErrorCode::Incomplete;
        if (progress.report) progress.report(progress.context, k * kCardBlockBytes, size);
    }
    code = usb.controlTransfer(usb.context, connection.usbInterface, kEndWriteRequest, nullptr, transferred);
    if (failed(code)) return code;
    usb.freeInterface(usb.context, connection.usbInterface);
    connection.usbInterface = kInvalidUsbHandle;
    return ErrorCode::Ok;
}
