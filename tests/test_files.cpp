#include "test_files.h"

#include <cstring>
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

bool sameFileBytes(const std::string& a, const std::string& b) {
    std::ifstream first(pathOf(a), std::ios::binary), second(pathOf(b), std::ios::binary);
    std::vector<char> x(1 << 20), y(1 << 20);
    while (first && second) {
        first.read(x.data(), std::streamsize(x.size()));
        second.read(y.data(), std::streamsize(y.size()));
        if (first.gcount() != second.gcount() || memcmp(x.data(), y.data(), size_t(first.gcount())) != 0) return false;
    }
    return !first && !second;
}

void writeLargestCardFile(const std::string& utf8Path, const char* lastName) {
    const uint32_t samples = 1u << 24;
    auto name8 = [](const std::string& name) { return (name + "        ").substr(0, 8); };
    auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    std::ofstream out(pathOf(utf8Path), std::ios::binary | std::ios::trunc);
    out << "cvne" << '\x01' << '\x08' << '\x01' << '\x0F' << std::string(2, '\0') << name8("Largest")
        << std::string(16, '\0');
    uint64_t at = 34;
    for (uint32_t i = 1; i <= 8; ++i) {
        out.seekp(std::streamoff(at));
        std::string name = i == 8 && lastName ? lastName : "Big " + std::to_string(i);
        float first = float(i), last = -float(i);
        uint32_t firstBits, lastBits;
        memcpy(&firstBits, &first, 4);
        memcpy(&lastBits, &last, 4);
        out << name8(name) << std::string(2, '\0') << '\0' << '\xFF' << u32(1000) << u32(samples - 1000) << u32(samples)
            << std::string(16, '\0') << u32(firstBits);
        out.seekp(std::streamoff(at + 40 + 4ull * (samples - 1)));
        out << u32(lastBits);
        at += 40 + 4ull * samples;
    }
    out.seekp(std::streamoff(at));
    out << "envc";
}
