#include "support/SmallDisk.h"

#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>

namespace fennix::test {

SmallDisk::SmallDisk(int64_t bytes) : path_(folder_.File("disk")) {
    std::filesystem::create_directory(path_);
    if (::geteuid() != 0) return;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    mounted_ = ::mount("fennix-test", path_.c_str(), "tmpfs", MS_NOSUID, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
}

}  // namespace fennix::test
