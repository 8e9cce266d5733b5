#include "controls/high_contrast_win.h"

static HighContrastSource contrastSource = HighContrastSource::System;

bool highContrastOn() {
    if (contrastSource != HighContrastSource::System) return contrastSource == HighContrastSource::ForcedOn;
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void setHighContrastSource(HighContrastSource source) { contrastSource = source; }
