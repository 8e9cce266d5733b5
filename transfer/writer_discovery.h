#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "transfer/card_writer_record.h"
#include "transfer/usb_transport.h"

// The connected card writers, in the order the writer list shows them.
struct CardWriterList {
    CardWriterRecord* items;
    uint32_t count;
    uint32_t capacity;
};

enum class WriterEvent : uint8_t { None = 0, Removed = 1, Added = 2 };

// The state of one discovery pass.
struct CardWriterScan {
    WriterEvent event;
    ErrorCode error;
    uint32_t index;
    CardWriterRecord* record;
    ErrorCode enumerationError;
    uint32_t vendorFilter;   // 0xFFFFFFFF: any
    uint32_t productFilter;  // 0xFFFFFFFF: any
    char16_t devicePath[kDevicePathCapacity];
    uint16_t vendorId;
    uint16_t productId;
    UsbEnumeration enumeration;
    bool started;
    bool finished;
};

void startScan(CardWriterScan& scan);
void endScan(const UsbTransport& usb, CardWriterScan& scan);

// Four hexadecimal digits after the first `key` in the path; 0 when absent.
uint16_t parseHexAfterKey(const char16_t* path, const char16_t* key);

// The next present interface whose ids pass the scan's filters.
bool nextUsbInterface(const UsbTransport& usb, CardWriterScan& scan);

// True when the writer is not to be listed. A writer in mode 2 is asked to
// change mode and left out of this pass.
bool screenCardWriter(const UsbTransport& usb, const CardWriterRecord& record);
using WriterScreen = bool (*)(const UsbTransport& usb, const CardWriterRecord& record);

// One step of a pass; true while it goes on, with scan.event telling what happened.
bool nextCardWriterEvent(const UsbTransport& usb, CardWriterList& list, CardWriterScan& scan, WriterScreen screen);

bool appendWriterRecord(CardWriterList& list, const CardWriterRecord& record);
void removeWriterRecord(CardWriterList& list, uint32_t index);
void releaseWriterList(CardWriterList& list);

// The writer list control and the transfer controls beside it.
struct WriterListView {
    void* context;
    int32_t (*selection)(void* context);  // -1 for none
    void (*setSelection)(void* context, int32_t index);
    void (*deleteItem)(void* context, uint32_t index);
    void (*addItem)(void* context, const char16_t* label);
    void (*setTransferControls)(void* context, bool comboEnabled, bool othersEnabled);
    // After each pass: true while no writer is listed, so the list can say so
    // rather than stay blank. May be null.
    void (*showNoWriter)(void* context, bool noWriter);
};

// One discovery pass with the list control kept in step. Does nothing while
// `transferBusy` is set.
void refreshCardWriterList(const UsbTransport& usb, CardWriterList& list, const WriterListView& view,
                           bool transferBusy);
