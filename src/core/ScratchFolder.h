#pragma once

#include <string>

namespace fennix {

// A scratch folder of this process in `parent`: "<prefix>-<pid>-XXXXXX",
// made with mode 0700 and locked with flock for as long as the object
// lives, then removed with everything in it. The process id and the lock
// let a later run tell a folder that a killed process left behind from one
// in use (see RemoveAbandonedScratchFolders).
class ScratchFolder {
  public:
    ScratchFolder(const std::string& parent, const std::string& prefix);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool Valid() const { return !path_.empty(); }
    // The folder; empty when it could not be made.
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    int lockFd_ = -1;
};

// Removes the scratch folders "<prefix>-<pid>-XXXXXX" in `parent` that
// processes that no longer run left behind: folders (not links) of this
// user whose process has ended and that no process holds locked. Returns
// the number of folders removed.
int RemoveAbandonedScratchFolders(const std::string& parent, const std::string& prefix);

// The system's folder for temporary files: $TMPDIR when set, else /tmp.
std::string SystemTempFolder();

}  // namespace fennix
