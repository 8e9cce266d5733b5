// corvane-cli.exe: writers through WinUSB.
#include "cli/cli_arguments_win.h"
#include "transfer/usb_transport_win.h"

int wmain(int argc, wchar_t** argv) { return runCliWithWideArguments(argc, argv, winUsbTransport()); }
