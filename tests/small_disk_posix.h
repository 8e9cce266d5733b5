#pragma once
#include <cstdint>
#include <string>

// A small tmpfs mounted for one test, so that the disk really fills up.
// Mounting needs root (CAP_SYS_ADMIN): where it is not allowed, `reason`
// says why and the test skips.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, uint32_t bytes);
    ~SmallDisk();
    bool mounted() const { return mounted_; }
    const std::string& reason() const { return reason_; }
    // Fills what room is left with one file, until the system says the disk is full.
    void fill() const;

private:
    std::string folder_;
    bool mounted_ = false;
    std::string reason_;
};
