#include "cli/cli_arguments_win.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/cli.h"
#include "core/text_win.h"

namespace {

constexpr int kMaxArguments = 512;
char argumentText[65536];
const char* arguments[kMaxArguments];

}  // namespace

int runCliWithWideArguments(int argc, wchar_t** argv, const UsbTransport& usb) {
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    uint32_t used = 0;
    int count = argc < kMaxArguments ? argc : kMaxArguments;
    for (int i = 0; i < count; ++i) {
        uint32_t room = sizeof argumentText - used;
        if (room < 2) {
            count = i;  // arguments beyond the room are dropped
            break;
        }
        uint32_t length = 0;
        // Into the shared buffer, leaving room for the terminator.
        text_detail::appendUtf16AsUtf8(argumentText + used, length, room - 1, viewOfWide(argv[i]));
        argumentText[used + length] = 0;
        arguments[i] = argumentText + used;
        used += length + 1;
    }
    return runCli(count, arguments, usb);
}
