#pragma once
#include <cstdint>

#include "core/card_document.h"
#include "core/error_code.h"
#include "transfer/card_writer_record.h"
#include "transfer/usb_transport.h"

// The card writer's vendor requests on the control pipe and its bulk pipe.
constexpr uint16_t kWriterVendorId = 0x0483;
constexpr uint16_t kWriterProductId = 0xA2A1;
constexpr uint8_t kControlPipe = 0x00;
constexpr uint8_t kBulkPipe = 0x01;
constexpr uint32_t kIdentifyTimeoutMs = 50;
constexpr uint32_t kControlTimeoutMs = 1000;
constexpr uint32_t kBulkTimeoutMs = 5000;

constexpr UsbSetupPacket kIdentifyRequest = {0xC0, 0x01, 0x0001, 0x0000, 36};
constexpr UsbSetupPacket kModeTwoRequest = {0x40, 0x05, 0x0001, 0x0000, 0};
constexpr UsbSetupPacket kEndWriteRequest = {0x40, 0x03, 0x0000, 0x0000, 0};
inline UsbSetupPacket beginWriteRequest(uint16_t bank) { return {0x40, 0x02, bank, 0x0000, 0}; }

// One open card writer.
struct CardWriterConnection {
    UsbHandle file;
    UsbHandle usbInterface;
};
constexpr CardWriterConnection kClosedConnection = {kInvalidUsbHandle, kInvalidUsbHandle};

ErrorCode openCardWriter(const UsbTransport& usb, CardWriterConnection& connection, const char16_t* devicePath);
ErrorCode initCardWriterInterface(const UsbTransport& usb, CardWriterConnection& connection);
void closeCardWriter(const UsbTransport& usb, CardWriterConnection& connection);

// Fills the record from the identify reply of 28, 34 or 36 bytes.
ErrorCode parseIdentifyReply(CardWriterRecord& record, const uint8_t* reply, uint32_t length);

// Identifies the writer at the path; the record keeps the path and ids.
ErrorCode queryCardWriter(const UsbTransport& usb, CardWriterRecord& record, const char16_t* devicePath,
                          uint16_t vendorId, uint16_t productId);

// Asks a writer in mode 2 to change mode (results are not examined).
void sendModeTwoRequest(const UsbTransport& usb, const char16_t* devicePath);

// Called after each block with the offset at which it began and the image size.
struct TransferProgress {
    void* context;
    void (*report)(void* context, uint32_t done, uint32_t total);
};

// Sends the image in 1024-byte blocks between a begin-write request for the
// bank and an end-write request, over a connection opened with openCardWriter.
ErrorCode sendCardImage(const UsbTransport& usb, CardWriterConnection& connection, uint16_t bank,
                        const uint8_t* image, uint32_t size, const TransferProgress& progress);
