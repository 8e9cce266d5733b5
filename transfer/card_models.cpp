#include "transfer/card_models.h"

const char* modelName(uint8_t modelCode) {
    static const char* const kNames[] = {
        "Voxtile Alder", "Voxtile Birch", "Voxtile Cedar", "Voxtl8",
        "Voxtile Elm",   "Voxtile Fir",   "Corvane",       "Voxtile Hazel",
    };
    if (modelCode >= 1 && modelCode <= 8) return kNames[modelCode - 1];
    return "Voxtile ???";
}
