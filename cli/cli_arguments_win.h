#pragma once
#include "transfer/usb_transport.h"

// The Windows entry of corvane-cli: arguments arrive as UTF-16 and are
// handed on as UTF-8; output is UTF-8 with plain line feeds.
int runCliWithWideArguments(int argc, wchar_t** argv, const UsbTransport& usb);
