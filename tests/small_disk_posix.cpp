#include "small_disk_posix.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

SmallDisk::SmallDisk(const std::string& folder, uint32_t bytes) : folder_(folder) {
    mkdir(folder.c_str(), 0777);
    std::string options = "size=" + std::to_string(bytes);
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0) {
        mounted_ = true;
    } else {
        reason_ = std::string("cannot mount a small tmpfs (") + strerror(errno) +
                  "): mounting needs root with CAP_SYS_ADMIN";
    }
}

SmallDisk::~SmallDisk() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
}

void SmallDisk::fill() const {
    int fd = open((folder_ + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    char block[512] = {};
    while (write(fd, block, sizeof block) > 0) {
    }
    while (write(fd, block, 1) > 0) {
    }
    close(fd);
}
