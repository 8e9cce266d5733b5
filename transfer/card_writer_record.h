#pragma once
#include <cstdint>

// One detected card writer, as its identify reply and its device path describe it.
struct CardWriterRecord {
    uint8_t mode;
    uint8_t cardModel;
    uint16_t tailWord;
    uint16_t infoWord;
    uint16_t modeWord;
    uint32_t bankCount;     // the highest bank number the writer accepts
    uint32_t cardSize;
    uint32_t displayNumber;
    uint32_t infoByte;
    uint8_t idText[24];     // not terminated
    uint16_t formFlags;     // 0x0100 for the 36-byte identify reply
    uint8_t present;        // seen in the current discovery pass
    char16_t devicePath[260];
    uint16_t vendorId;
    uint16_t productId;
};
