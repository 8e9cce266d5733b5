#include <gtest/gtest.h>

#include "transfer/usb_transport_win.h"
#include "transfer/writer_discovery.h"
#include "writer_list_view.h"

// The real SetupAPI walk: it must run to its normal end and leave the
// transfer controls as an empty list wants them. (Under Wine it finds no USB
// devices, and WinUSB itself cannot run there: the protocol is tested against
// the simulated writer.)
TEST(WinUsbTransport, DiscoveryPassEndsNormally) {
    CardWriterList list = {};
    FakeWriterListView combo;
    combo.othersEnabled = true;
    refreshCardWriterList(winUsbTransport(), list, combo.view(), false);
    EXPECT_EQ(combo.controlUpdates, 1);
    EXPECT_TRUE(combo.comboEnabled);
    EXPECT_EQ(combo.othersEnabled, list.count > 0);
    EXPECT_EQ(combo.items.size(), list.count);
    releaseWriterList(list);
}

TEST(WinUsbTransport, OpeningAMissingDeviceGivesTheSystemsReason) {
    UsbHandle file = kInvalidUsbHandle;
    ErrorCode code = winUsbTransport().openDevice(nullptr, u"\\\\?\\usb#vid_0483&pid_a2a1#none#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", file);
    EXPECT_NE(code, ErrorCode::Ok);
    EXPECT_EQ(file, kInvalidUsbHandle);
}
