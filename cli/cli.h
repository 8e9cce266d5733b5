#pragma once
#include "transfer/usb_transport.h"

// corvane-cli: the card workflow from a terminal. Arguments are UTF-8.
// Returns the exit status: 0 success, 1 failure, 2 bad usage.
int runCli(int argc, const char* const* argv, const UsbTransport& usb);
