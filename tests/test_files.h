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
