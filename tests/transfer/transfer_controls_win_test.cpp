#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "simulated_card_writer.h"
#include "transfer/card_image.h"
#include "transfer/transfer_controls_win.h"

namespace {

// Real controls in a real window, driven from the transfer thread through
// synchronous messages while this thread keeps the message loop going.
struct ControlWindow : ::testing::Test {
    HWND window = nullptr;
    TransferWindows windows = {};

    void SetUp() override {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&init);
        window = CreateWindowExW(0, L"Static", L"test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        auto child = [&](const wchar_t* cls, DWORD style, int y) {
            return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 10, y, 200, 23, window, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        };
        windows.owner = window;
        windows.caption = L"Corvane v1.0.0";
        windows.writerCombo = child(L"ComboBox", CBS_DROPDOWNLIST, 10);
        windows.sendButton = child(L"Button", 0, 40);
        windows.progress = child(L"msctls_progress32", 0, 70);
        windows.bankEdit = child(L"Edit", ES_NUMBER, 100);
        windows.bankSpin = child(L"msctls_updown32", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY, 100);
        windows.statusText = child(L"Static", 0, 130);
        SendMessageW(windows.bankSpin, UDM_SETRANGE32, 1, 99);
        SendMessageW(windows.bankSpin, UDM_SETPOS32, 0, 1);
    }
    void TearDown() override { DestroyWindow(window); }

    std::u16string status() const {
        wchar_t text[128] = {};
        GetWindowTextW(windows.statusText, text, 128);
        return std::u16string(reinterpret_cast<char16_t*>(text));
    }
    void pumpUntilIdle(const TransferJob& job) {
        for (int i = 0; i < 5000 && job.busy; ++i) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            Sleep(1);
        }
    }
};

}  // namespace

TEST_F(ControlWindow, DiscoveryFillsTheComboBox) {
    SimulatedUsb usb;
    SimulatedWriterSettings s;
    s.displayNumber = 2;
    usb.plugWriter(s, u"A");
    CardWriterList list = {};
    refreshCardWriterList(usb.transport(), list, writerListViewFor(windows), false);
    ASSERT_EQ(SendMessageW(windows.writerCombo, CB_GETCOUNT, 0, 0), 1);
    wchar_t label[64] = {};
    SendMessageW(windows.writerCombo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(std::wstring(label), L"Corvane (2)");
    EXPECT_EQ(SendMessageW(windows.writerCombo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(IsWindowEnabled(windows.sendButton));
    releaseWriterList(list);
}

TEST_F(ControlWindow, ATransferOnItsOwnThreadUpdatesTheControls) {
    SimulatedUsb usb;
    SimulatedWriterSettings s;
    s.bankCount = 8;
    uint32_t writer = usb.plugWriter(s, u"A");
    CardWriterList list = {};
    refreshCardWriterList(usb.transport(), list, writerListViewFor(windows), false);
    SendMessageW(windows.bankSpin, UDM_SETPOS32, 0, 50);

    CardDocument document = {};
    resetDocument(document);
    TransferControls controls = transferControlsFor(windows);
    TransferJob job;
    initTransferJob(job, usb.transport(), controls);
    sendToCard(job, list, document);
    EXPECT_TRUE(job.busy);
    EXPECT_FALSE(IsWindowEnabled(windows.sendButton));
    pumpUntilIdle(job);
    ASSERT_FALSE(job.busy);

    EXPECT_EQ(status().substr(0, 27), u"Transfer Successful (Time: ");
    EXPECT_EQ(SendMessageW(windows.bankSpin, UDM_GETPOS32, 0, 0), 8);
    EXPECT_EQ(usb.device(writer).banks.at(8).size(), kCardCapacity);
    EXPECT_TRUE(IsWindowEnabled(windows.sendButton));
    EXPECT_TRUE(IsWindowEnabled(windows.writerCombo));
    EXPECT_EQ(GetWindowLongW(windows.progress, GWL_STYLE) & PBS_MARQUEE, 0);
    EXPECT_EQ(SendMessageW(windows.progress, PBM_GETPOS, 0, 0), 0);

    usb.device(writer).settings.misbehaviour = Misbehaviour::FailBlock;
    usb.device(writer).settings.atBlock = 3;
    sendToCard(job, list, document);
    pumpUntilIdle(job);
    EXPECT_EQ(status(), u"Transfer Failed");
    EXPECT_TRUE(IsWindowEnabled(windows.sendButton));

    shutdownTransferJob(job);
    releaseWriterList(list);
    releaseDocument(document);
}
