#pragma once

// A private temporary folder for one fuzzer process: created on first use
// under $TMPDIR (or /tmp), removed with everything in it when the process
// exits normally. Each input is written to a file there and handed to the
// reader by its path, as the program hands it a file the user picked.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fennix::fuzz {

class FuzzFolder {
  public:
    static const std::string& Path() { return Instance().path_; }

    // Writes `size` bytes to `name` in the folder, replacing it; the path.
    static std::string Write(const std::string& name, const uint8_t* data, size_t size) {
        const std::string file = Path() + "/" + name;
        std::FILE* out = std::fopen(file.c_str(), "wb");
        if (!out) std::abort();
        if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
        if (std::fclose(out) != 0) std::abort();
        return file;
    }

  private:
    FuzzFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/fennix-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
    }
    ~FuzzFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    static FuzzFolder& Instance() {
        static FuzzFolder folder;
        return folder;
    }

    std::string path_;
};

}  // namespace fennix::fuzz
