#include "transfer/writer_discovery.h"

#include <cstdlib>
#include <cstring>

#include "transfer/card_models.h"
#include "core/text.h"
#include "transfer/writer_protocol.h"

void startScan(CardWriterScan& scan) {
    memset(&scan, 0, sizeof scan);
    scan.vendorFilter = 0xFFFFFFFF;
    scan.productFilter = 0xFFFFFFFF;
    scan.enumeration.deviceSet = kInvalidUsbHandle;
}

void endScan(const UsbTransport& usb, CardWriterScan& scan) {
    if (scan.enumeration.deviceSet != kInvalidUsbHandle) usb.endEnumeration(usb.context, scan.enumeration);
    scan.enumeration.deviceSet = kInvalidUsbHandle;
}

uint16_t parseHexAfterKey(const char16_t* path, const char16_t* key) {
    Utf16View p = viewOf(path), k = viewOf(key);
    if (k.length > p.length || p.length == 0) return 0;
    for (uint32_t at = 0; at + k.length <= p.length; ++at) {
        if (!textEquals(Utf16View{p.units + at, k.length}, k)) continue;
        uint32_t value = 0;
        for (uint32_t i = 0; i < 4; ++i) {
            char16_t c = p.units[at + k.length + i];  // the terminator stops the read
            if (c == 0) return 0;
            value = (value * 16) % 65536;
            if (c >= u'0' && c <= u'9') value += c - u'0';
            else if (c >= u'a' && c <= u'f') value += c - u'a' + 10;
            else if (c >= u'A' && c <= u'F') value += c - u'A' + 10;
        }
        return static_cast<uint16_t>(value);
    }
    return 0;
}

bool nextUsbInterface(const UsbTransport& usb, CardWriterScan& scan) {
    for (;;) {
        ErrorCode error = ErrorCode::Ok;
        if (!usb.nextDeviceInterface(usb.context, scan.enumeration, scan.devicePath, error)) {
            scan.enumerationError = error;
            return false;
        }
        scan.vendorId = parseHexAfterKey(scan.devicePath, u"vid_");
        scan.productId = parseHexAfterKey(scan.devicePath, u"pid_");
        if (scan.vendorFilter != 0xFFFFFFFF && scan.vendorFilter != scan.vendorId) continue;
        if (scan.productFilter == 0xFFFFFFFF || scan.productFilter == scan.productId) return true;
    }
}

bool screenCardWriter(const UsbTransport& usb, const CardWriterRecord& record) {
    if (record.formFlags & 0xFF00) return true;
    if (record.mode == 2 && record.modeWord != 0 && record.modeWord != 0xFFFF) {
        sendModeTwoRequest(usb, record.devicePath);
        return true;
    }
    return record.cardModel != 7;
}

bool appendWriterRecord(CardWriterList& list, const CardWriterRecord& record) {
    if (list.count == list.capacity) {
        uint32_t capacity = list.count ? 2 * list.count : 2;
        auto* items = static_cast<CardWriterRecord*>(malloc(sizeof(CardWriterRecord) * capacity));
        if (!items) return false;
        if (list.count) memcpy(items, list.items, sizeof(CardWriterRecord) * list.count);
        free(list.items);
        list.items = items;
        list.capacity = capacity;
    }
    list.items[list.count++] = record;
    return true;
}

void removeWriterRecord(CardWriterList& list, uint32_t index) {
    if (index >= list.count) return;
    memmove(&list.items[index], &list.items[index + 1], sizeof(CardWriterRecord) * (list.count - index - 1));
    --list.count;
}

void releaseWriterList(CardWriterList& list) {
    free(list.items);
    list = CardWriterList{};
}

static bool samePath(const char16_t* a, const char16_t* b) { return textEquals(viewOf(a), viewOf(b)); }

bool nextCardWriterEvent(const UsbTransport& usb, CardWriterList& list, CardWriterScan& scan, WriterScreen screen) {
    if (!scan.started) {
        scan.started = true;
        scan.finished = false;
        for (uint32_t i = 0; i < list.count; ++i) list.items[i].present = 0;
        scan.vendorFilter = kWriterVendorId;
        scan.productFilter = kWriterProductId;
    }
    if (scan.finished) {
        if (scan.event == WriterEvent::Removed && scan.index < list.count && !list.items[scan.index].present) {
            removeWriterRecord(list, scan.index);
            scan.event = WriterEvent::None;
        }
        for (uint32_t i = scan.index; i < list.count; ++i) {
            if (list.items[i].present) continue;
            scan.event = WriterEvent::Removed;
            scan.record = &list.items[i];
            scan.index = i;
            return true;
        }
        return false;
    }
    for (;;) {
        if (!nextUsbInterface(usb, scan)) {
            if (failed(scan.enumerationError)) {
                scan.error = scan.enumerationError;
                return false;
            }
            scan.index = 0;
            scan.finished = true;
            scan.event = WriterEvent::None;
            return true;
        }
        bool known = false;
        for (uint32_t i = 0; i < list.count && !known; ++i)
            if (samePath(list.items[i].devicePath, scan.devicePath)) {
                list.items[i].present = 1;
                known = true;
            }
        if (known) continue;
        CardWriterRecord scratch;
        memset(&scratch, 0, sizeof scratch);
        if (failed(queryCardWriter(usb, scratch, scan.devicePath, scan.vendorId, scan.productId))) continue;
        if (screen && screen(usb, scratch)) continue;
        if (!appendWriterRecord(list, scratch)) {
            scan.error = ErrorCode::OutOfMemory;
            return false;
        }
        scan.event = WriterEvent::Added;
        scan.error = ErrorCode::Ok;
        scan.index = list.count - 1;
        scan.record = &list.items[scan.index];
        return true;
    }
}

void refreshCardWriterList(const UsbTransport& usb, CardWriterList& list, const WriterListView& view,
                           bool transferBusy) {
    if (transferBusy) return;
    int32_t remembered = view.selection(view.context);
    CardWriterScan scan;
    startScan(scan);
    while (nextCardWriterEvent(usb, list, scan, screenCardWriter)) {
        if (scan.event == WriterEvent::Removed) {
            view.deleteItem(view.context, scan.index);
            // The entries behind a removed one move up: follow the chosen writer.
            if (remembered == int32_t(scan.index)) {
                remembered = list.count > 0 ? 0 : -1;
                view.setSelection(view.context, 0);
            } else if (remembered > int32_t(scan.index)) {
                view.setSelection(view.context, --remembered);
            }
        } else if (scan.event == WriterEvent::Added) {
            Utf8Buffer<kDeviceLabelCapacity> label = {};
            deviceLabel(*scan.record, label);
            WideBuffer<kDeviceLabelCapacity + 1> wide = {};
            appendUtf8AsUtf16(wide, viewOf(label));
            terminateText(wide);
            view.addItem(view.context, wide.units);
            if (remembered < 0) {
                remembered = 0;
                view.setSelection(view.context, 0);
            }
        }
    }
    if (failed(scan.error)) {
        endScan(usb, scan);
        return;
    }
    view.setTransferControls(view.context, true, list.count > 0);
    if (view.showNoWriter) view.showNoWriter(view.context, list.count == 0);
    endScan(usb, scan);
}
