// corvane-cli on Linux and macOS: writers through libusb.
#include "cli/cli.h"
#include "transfer/usb_transport_libusb.h"

int main(int argc, char** argv) { return runCli(argc, argv, libusbTransport()); }
