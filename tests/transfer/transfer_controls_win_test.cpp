#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <thread>

#include "simulated_card_writer.h"
#include "transfer/card_image.h"
#include "transfer/test_instruments.h"
#include "transfer/transfer_controls_win.h"

namespace {

constexpr wchar_t kCaption[] = L"Corvane v1.0.0";

std::u16string textOf(HWND window) {
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    return std::u16string(reinterpret_cast<char16_t*>(text));
}

// The owner's window procedure, as the main window's will be: reports go to the job.
LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTransferReportMessage) {
        onTransferReport(*reinterpret_cast<TransferJob*>(GetWindowLongPtrW(window, GWLP_USERDATA)), wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Real controls in a real window; a real thread sends while this one runs the message loop.
struct ControlWindow : ::testing::Test {
    HWND window = nullptr;
    TransferWindows windows = {};
    SimulatedUsb usb;
    CardWriterList list = {};
    CardDocument document = {};
    TransferControls controls = transferControlsFor(windows);
    TransferJob job;

    void SetUp() override {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&init);
        WNDCLASSW owner = {0, ownerProc, 0, 0, GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr,
                           L"TransferTestOwner"};
        RegisterClassW(&owner);
        window = CreateWindowExW(0, L"TransferTestOwner", L"test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                 nullptr, owner.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&job));
        int y = 10;
        auto child = [&](const wchar_t* cls, DWORD style) {
            return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 10, y += 30, 200, 23, window, nullptr,
                                   nullptr, nullptr);
        };
        // Created in order: a braced list is evaluated left to right.
        windows = {window, kCaption, child(L"ComboBox", CBS_DROPDOWNLIST), child(L"Button", 0),
                   child(L"msctls_progress32", 0), child(L"Edit", ES_NUMBER),
                   child(L"msctls_updown32", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY),
                   child(L"Static", 0), false};
        resetDocument(document);
        initTransferJob(job, usb.transport(), controls);
    }
    void TearDown() override {
        shutdownTransferJob(job);
        DestroyWindow(window);
        releaseWriterList(list);
        releaseDocument(document);
        EXPECT_EQ(usb.openHandles(), 0u);
    }

    void pump() {
        ULONGLONG end = GetTickCount64() + 10000;
        while (job.busy && GetTickCount64() < end) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
};

}  // namespace

TEST_F(ControlWindow, TransfersOnTheirOwnThreadDriveTheRealControls) {
    SimulatedWriterSettings s;
    s.bankCount = 8;
    usb.plugWriter(s, u"A");
    refreshCardWriterList(usb.transport(), list, writerListViewFor(windows), false);
    SendMessageW(windows.bankSpin, UDM_SETPOS32, 0, 50);  // beyond the writer's banks: its last
    sendToCard(job, list, document);
    EXPECT_FALSE(IsWindowEnabled(windows.sendButton));
    EXPECT_TRUE(GetWindowLongW(windows.bankEdit, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongW(windows.progress, GWL_STYLE) & PBS_MARQUEE);
    pump();
    std::u16string done = textOf(windows.statusText);
    ASSERT_EQ(done.substr(0, 27), u"Transfer Successful (Time: ");
    EXPECT_LT(std::stoi(std::string(done.begin() + 27, done.end())), 10);  // the seconds' bits came through
    EXPECT_EQ(GetWindowLongW(windows.bankEdit, GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(GetWindowLongW(windows.progress, GWL_STYLE) & PBS_MARQUEE, 0);
    EXPECT_EQ(SendMessageW(windows.progress, PBM_GETRANGE, FALSE, 0), 65536);
    EXPECT_EQ(SendMessageW(windows.progress, PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(SendMessageW(windows.bankSpin, UDM_GETPOS32, 0, 0), 8);

    // A watcher reads the "too much data" box and presses OK; the job's test has the order.
    overfillCard(document);
    HWND box = nullptr, boxOwner = nullptr;
    bool boxText = false;
    std::thread watcher([&] {
        for (int i = 0; i < 1000 && !box; ++i, Sleep(10)) box = FindWindowW(L"#32770", kCaption);
        if (!box) return;
        boxOwner = GetWindow(box, GW_OWNER);
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            boxText |= textOf(child) == u"Too much data for the card";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    sendToCard(job, list, document);
    pump();
    watcher.join();
    EXPECT_EQ(boxOwner, window);
    EXPECT_TRUE(boxText);
}
