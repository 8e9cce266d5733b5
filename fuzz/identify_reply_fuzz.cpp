// The card writer's identify reply, as any device might send it: through the
// query the program makes, over a transport that answers with the input.
#include <cstring>

#include "allocation_watch.h"
#include "transfer/writer_protocol.h"

namespace {

struct Reply {
    const uint8_t* data;
    size_t size;
};

ErrorCode openDevice(void*, const char16_t*, UsbHandle& file) {
    file = 1;
    return ErrorCode::Ok;
}
ErrorCode initializeInterface(void*, UsbHandle, UsbHandle& usbInterface) {
    usbInterface = 2;
    return ErrorCode::Ok;
}
ErrorCode setPipeTimeout(void*, UsbHandle, uint8_t, uint32_t) { return ErrorCode::Ok; }
// A device may claim to have sent more than was asked for: the claim is passed on.
ErrorCode controlTransfer(void* context, UsbHandle, const UsbSetupPacket& setup, uint8_t* data,
                          uint32_t& transferred) {
    const Reply& reply = *static_cast<const Reply*>(context);
    size_t copied = reply.size < setup.length ? reply.size : setup.length;
    if (data && copied) memcpy(data, reply.data, copied);
    transferred = static_cast<uint32_t>(reply.size);
    return ErrorCode::Ok;
}
void freeInterface(void*, UsbHandle) {}
void closeDevice(void*, UsbHandle) {}

bool isHexDigit(uint8_t c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    startAllocationWatch();
    Reply reply = {data, size};
    UsbTransport usb = {&reply, nullptr, nullptr, openDevice, initializeInterface, setPipeTimeout,
                        controlTransfer, nullptr, freeInterface, closeDevice};
    CardWriterRecord record = {};
    ErrorCode code = queryCardWriter(usb, record, u"fuzz", kWriterVendorId, kWriterProductId);
    bool knownLength = size == 28 || size == 34 || size == 36;
    require((code == ErrorCode::Ok) == knownLength, "a reply accepted or refused by its length alone");
    if (code == ErrorCode::Ok) {
        require(record.present == 1, "an accepted writer not marked present");
        require(record.cardModel == data[1] && record.bankCount == data[6], "fields not where they belong");
        if (size == 36) {
            require(record.formFlags == 0x0100 && memcmp(record.idText, data + 12, 24) == 0, "long form misread");
        } else {
            require(record.formFlags == 0, "short form flagged as long");
            for (uint8_t c : record.idText) require(isHexDigit(c), "identifier not in hexadecimal digits");
        }
    }
    // The parse on its own, for lengths the transport never passes on.
    CardWriterRecord direct = {};
    ErrorCode directCode = parseIdentifyReply(direct, data, static_cast<uint32_t>(size));
    require((directCode == ErrorCode::Ok) == knownLength, "the parse accepts another length");
    endAllocationWatch(size);
    return 0;
}
