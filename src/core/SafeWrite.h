#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fennix {

// One file written so that it is either complete or not there at all.
//
// Begin creates a scratch file with a name of its own beside the target
// (".NAME.<pid>-<8 hex digits>.tmp", locked with flock while it is open);
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

    // Finishes the write as Commit does, but only when nothing is at the
    // target: an existing file (or anything else by that name, even one
    // that appeared since Begin) is never replaced; the write then fails
    // with ErrorNumber() EEXIST and the scratch file is removed.
    bool CommitNew(bool sync = true);

    // Abandons the write and removes the scratch file.
    void Discard();

    // The file the content will replace (the end of a link chain).
    const std::string& Target() const { return target_; }

    // A short English reason for the last failure, and its errno value (0
    // when there is none).
    const std::string& Error() const { return error_; }
    int ErrorNumber() const { return errorNumber_; }

  private:
    bool Fail(const std::string& what, int error);
    bool Finish(bool sync, bool replace);

    std::string target_;
    std::string scratch_;
    std::string error_;
    int errorNumber_ = 0;
    int fd_ = -1;
};

// Replaces the contents of the file at `path` with `bytes` through a
// SafeFile. Returns false when anything fails; the old file is then
// untouched, no scratch file is left, and `error` (when given) holds a
// short reason.
bool ReplaceFileContents(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr, bool sync = true);

// Renames `from` to `to` only when nothing is at `to`, atomically where the
// file system allows (otherwise by a hard link and the removal of `from`).
// False with errno set when it fails: EEXIST when something is at `to`,
// EXDEV when the two are on different file systems. `from` is then left as
// it was.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);

// The process id a name carries: decimal digits without a leading zero, at
// least 1; 0 for anything else.
int ParseProcessId(std::string_view digits);

// True while a process with this id runs (as far as this process can see:
// one that exists but belongs to someone else counts as running).
bool ProcessRuns(int pid);

// The process that made a scratch file, from its name (".NAME.<pid>-<tag>.tmp"
// or ".fennix-<pid>-<tag>.tmp" as SafeFile names them); 0 for any other name,
// the scratch names of older versions (without the process) among them.
int ScratchFileOwner(const std::string& name);

// Removes from `folder` the scratch files that writes of processes that no
// longer run left behind (a killed program, a lost power): regular files
// with a scratch name whose process has ended and that no process holds
// open for writing. Scratch files of running writes, links and other files
// stay. Returns the number removed.
int RemoveAbandonedScratchFiles(const std::string& folder);

// Removes `path` only when it is a regular file itself (a link, folder,
// device or FIFO stays). True when it was removed or did not exist.
bool RemoveRegularFile(const std::string& path);

// True when anything, a broken link included, has the name `path`.
bool NameTaken(const std::string& path);

// Copies the regular file `from` to the new file `to` through SafeFile.
// False with errno set on failure (EEXIST when `to` exists); nothing of the
// copy is left then.
bool CopyToNewFile(const std::string& from, const std::string& to);

}  // namespace fennix
