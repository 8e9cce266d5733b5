#pragma once
#include <cstdint>

#include "core/text.h"

constexpr uint32_t kApplicationTitleCapacity = 64;
constexpr uint32_t kWindowTitleCapacity = 256;
constexpr uint32_t kVersionQueryCapacity = 64;

using ApplicationTitle = WideBuffer<kApplicationTitleCapacity>;
using WindowTitle = WideBuffer<kWindowTitleCapacity>;
using VersionQueryPath = WideBuffer<kVersionQueryCapacity>;

// "\StringFileInfo\" + language and code page as eight upper-case hex digits + "\" + leaf.
void buildVersionQueryPath(VersionQueryPath& path, uint16_t language, uint16_t codePage, Utf16View leaf);

// " v<major>.<minor>.<build>" from the product version's two 32-bit words.
void appendVersionSuffix(ApplicationTitle& title, uint32_t versionMostSignificant, uint32_t versionLeastSignificant);

// The application title, then " - " and the card-file's base name (or
// " - Unnamed"), then "*" while the card has unsaved changes.
void buildWindowTitle(WindowTitle& title, Utf16View applicationTitle, Utf8View cardFilePath, bool modified);
