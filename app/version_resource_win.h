#pragma once
#include <windows.h>

#include "app/window_title.h"

// Product name plus " v<major>.<minor>.<build>" from the module's version
// resource. Never fails visibly: what cannot be read stays out of the title.
void buildApplicationTitle(ApplicationTitle& title, HMODULE module);

// The legal notice (LegalCopyright) of the module's version resource.
void readLegalNotice(ApplicationTitle& notice, HMODULE module);
