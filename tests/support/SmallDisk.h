#pragma once

#include <cstdint>
#include <string>

#include "support/TestFolder.h"

namespace fennix::test {

// A tiny file system of its own (tmpfs) mounted on a folder inside a test
// folder, to see what happens when a disk fills up. Mounting needs root;
// where it fails, Mounted() is false and the test should skip. Unmounted
// (lazily, so an open file cannot keep it) when the object goes away.
class SmallDisk {
  public:
    explicit SmallDisk(int64_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    std::string Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    TestFolder folder_;
    std::string path_;
    bool mounted_ = false;
};

}  // namespace fennix::test
