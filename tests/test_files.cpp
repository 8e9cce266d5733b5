#include "test_files.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

static fs::path pathOf(const std::string& utf8) {
    return fs::u8path(utf8);
}

ScratchFolder::ScratchFolder() {
    std::random_device random;
    fs::path folder = fs::temp_directory_path() / ("corvane-test-" + std::to_string(random()));
    fs::create_directories(folder);
    folder_ = folder.u8string();
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(pathOf(folder_), ignored);
}

std::string ScratchFolder::file(const std::string& utf8Name) const {
    return (pathOf(folder_) / pathOf(utf8Name)).u8string();
}

void ScratchFolder::makeFolder(const std::string& utf8Name) const {
    fs::create_directories(pathOf(folder_) / pathOf(utf8Name));
}

std::vector<uint8_t> readFileBytes(const std::string& utf8Path) {
    std::ifstream in(pathOf(utf8Path), std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& utf8Path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(pathOf(utf8Path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
