#pragma once
#include "transfer/usb_transport.h"

// The card writer reached through SetupAPI and WinUSB.
const UsbTransport& winUsbTransport();
