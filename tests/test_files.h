#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/text.h"

// A fresh folder for one test, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    // UTF-8 path of a file in the folder.
    std::string file(const std::string& utf8Name) const;
    const std::string& path() const { return folder_; }
    // Makes a folder inside this one.
    void makeFolder(const std::string& utf8Name) const;

private:
    std::string folder_;
};

inline Utf8View viewOf(const std::string& text) { return {text.data(), static_cast<uint32_t>(text.size())}; }

std::vector<uint8_t> readFileBytes(const std::string& utf8Path);
void writeFileBytes(const std::string& utf8Path, const std::vector<uint8_t>& bytes);

// Compared a mebibyte at a time: the files may be far larger than the memory a test should take.
bool sameFileBytes(const std::string& utf8PathA, const std::string& utf8PathB);

// The largest card-file the program writes, laid out by hand: eight
// instruments of 2^24 samples (the most one may hold), card "Largest",
// instruments "Big 1" .. "Big 8" (the last one named `lastName` instead when
// given), each played from 1000 to 2^24 - 1000 with decay 255. The first and
// the last sample of instrument i (from 1) are i and -i; the others are zeros,
// left as holes: the file takes almost nothing on the disk.
void writeLargestCardFile(const std::string& utf8Path, const char* lastName = nullptr);
