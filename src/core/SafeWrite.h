#pragma once

#include <string>
#include <string_view>

namespace fennix {

// One file written so that it is either complete or not there at all.
//
// Begin creates a scratch file with a name of its own beside the target;
// the content goes there (through Write, Descriptor, or ScratchPath for
// writers that open files by name), and Commit checks it, closes it and
// renames it over the target. Until then the target is untouched. An
// object that is destroyed or discarded before Commit removes its scratch
// file, so a failed or cancelled write leaves nothing behind.
//
// Only regular files are ever replaced: a symbolic link is followed (the
// link stays, the file it points to gets the new content); a folder, a
// device, a FIFO or a socket at the target is refused, and so is a file
// without any write permission. A replaced file keeps its permissions.
class SafeFile {
  public:
    SafeFile() = default;
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Prepares the write of `path`. False, with Error() set, when the
    // target may not be replaced or no scratch file can be made.
    bool Begin(const std::string& path);

    // The file the content goes to, while the write is open.
    const std::string& ScratchPath() const { return scratch_; }
    int Descriptor() const { return fd_; }

    // Appends bytes to the scratch file. False (and Error() set) on any
    // failure, a full disk among them.
    bool Write(std::string_view bytes);

    // Finishes the write: the scratch file is closed (flushed to the disk
    // first when `sync`), checked and renamed over the target. False, with
    // the scratch file removed and the target untouched, on any failure.
    // `sync` costs a disk flush; it matters where an existing file is
    // replaced, and the replacing of an existing file always syncs.
    bool Commit(bool sync = true);

    // Abandons the write and removes the scratch file.
    void Discard();

    // The file the content will replace (the end of a link chain).
    const std::string& Target() const { return target_; }

    // A short English reason for the last failure.
    const std::string& Error() const { return error_; }

  private:
    bool Fail(const std::string& what, int error);

    std::string target_;
    std::string scratch_;
    std::string error_;
    int fd_ = -1;
};

// Replaces the contents of the file at `path` with `bytes` through a
// SafeFile. Returns false when anything fails; the old file is then
// untouched, no scratch file is left, and `error` (when given) holds a
// short reason.
bool ReplaceFileContents(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr, bool sync = true);

// Removes `path` only when it is a regular file itself (a link, folder,
// device or FIFO stays). True when it was removed or did not exist.
bool RemoveRegularFile(const std::string& path);

}  // namespace fennix
