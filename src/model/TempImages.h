#pragma once

#include <string>
#include <vector>

namespace fennix {

inline constexpr const char* kTempFolderName = "テンポラリデータ";
inline constexpr const char* kImageFolderName = "スタート・エンド画像データ";
// The zoom's scratch bitmap; it is written under a name of its own beside
// this one (see ScratchBitmap), so copies of the program never share it.
inline constexpr const char* kZoomScratchName = "tmp.bmp";

// The prepared start and end images of one new document, full paths.
struct TempImagePair {
    std::string start;
    std::string end;
};

// The working files one running copy of the program keeps in the temporary
// folder. Copies started from the same folder share it, so every prepared
// image a copy makes carries its owner tag: "temp_<tag>_<n>.bmp". The tag is the process id
// ("4711"), or "4711-1", "4711-2" … when that one is in use already (a copy
// in another process namespace). The lock file "temp_<tag>.lock", locked
// with flock for as long as the copy runs, shows that the tag is in use;
// once its lock is free the owner has ended, and what it left may go.
class TempWorkspace {
public:
    TempWorkspace() = default;
    ~TempWorkspace();
    TempWorkspace(const TempWorkspace&) = delete;
    TempWorkspace& operator=(const TempWorkspace&) = delete;

    // Takes `tempFolder` for this copy: creates and locks the lock file of
    // the first tag no running copy holds, trying `baseTag` (the process id
    // when empty) first. A workspace claimed before is released first.
    // Returns false when no lock file can be made (a missing or read-only
    // folder); names are then still handed out with the process id, and
    // Release removes only those it handed out.
    bool Claim(const std::string& tempFolder, const std::string& baseTag = {});

    bool Claimed() const { return lockFd_ >= 0; }
    const std::string& Folder() const { return folder_; }
    // The owner tag of this copy's file names: the claimed one, or the
    // process id while nothing is claimed.
    std::string Tag() const;

    // The images of the next new document: "temp_<tag>_0.bmp" and
    // "temp_<tag>_1.bmp", then "…_2.bmp" / "…_3.bmp" and so on, taking the
    // first pair of which neither file exists and neither was handed out
    // before. An unsaved document keeps its files until it is saved or the
    // program ends, so a second new document never takes over the images of
    // an earlier one.
    TempImagePair NextPair();

    // Removes this copy's working files (those it handed out and, while
    // claimed, every file with its tag) except the files in `keep`, images
    // a document still refers to; then unlocks and removes the lock file.
    // Only regular files are removed; failures are ignored.
    void Release(const std::vector<std::string>& keep = {});

    // Removes what copies that have ended left in the folder: for every
    // lock file that no running copy holds, the files with its tag and the
    // lock file itself. Files of running copies, prepared images without a
    // tag (from older versions) and other files stay. Returns the number of
    // files removed.
    int RemoveLeftovers() const;

private:
    std::string folder_;
    std::string tag_;
    int lockFd_ = -1;
    std::vector<std::string> handedOut_;
};

// The workspace of the running program: claimed by the frame window at
// start-up, released at shut-down.
TempWorkspace& ProgramWorkspace();

// The pair of images for the next new document in `tempFolder`, with the
// program's owner tag (see TempWorkspace::NextPair).
TempImagePair NextTempImagePair(const std::string& tempFolder);

// True when `name` is the file name of a prepared image of any copy:
// "temp_<tag>_<n>.bmp", or "temp_<n>.bmp" as older versions named them.
bool IsTempImageName(const std::string& name);

// True when `path` is a prepared image of this running copy in `tempFolder`
// ("temp_<tag>_<n>.bmp" with the program's tag).
bool IsOwnTempImage(const std::string& path, const std::string& tempFolder);

}  // namespace fennix
