#pragma once
#include "transfer/usb_transport.h"

// The card writer reached through libusb, for the command line on Linux and
// macOS. Device paths are made up in the system's style
// ("usb#vid_0483&pid_a2a1#<bus>-<ports>") so that discovery reads their ids alike.
const UsbTransport& libusbTransport();
