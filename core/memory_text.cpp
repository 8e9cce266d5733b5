#include "core/memory_text.h"

int32_t buildMemoryTexts(CardDocument& document, MemoryText& cardSize, MemoryText& freeMemory) {
    int32_t free = recountUsage(document);
    clearText(cardSize);
    appendUnsigned(cardSize, document.usedBytes);
    appendText(cardSize, viewOf(u" Byte"));
    clearText(freeMemory);
    appendSigned(freeMemory, free);
    appendText(freeMemory, viewOf(u" Byte"));
    return free;
}
