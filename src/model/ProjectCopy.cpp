#include "model/ProjectCopy.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "core/Paths.h"
#include "core/RegularFile.h"
#include "core/SafeWrite.h"
#include "core/Translation.h"
#include "model/ProjectFile.h"

namespace fennix {

namespace {

// True when both regular files hold the same bytes.
bool SameBytes(const std::string& a, const std::string& b) {
    const int first = OpenRegularFile(a);
    const int second = first < 0 ? -1 : OpenRegularFile(b);
    bool same = first >= 0 && second >= 0;
    std::array<char, 65536> x{}, y{};
    while (same) {
        // Regular files: a read gives the whole piece asked for but at the end.
        const ssize_t n = ::read(first, x.data(), x.size());
        const ssize_t m = ::read(second, y.data(), y.size());
        if (n < 0 || m < 0 || n != m) same = false;
        else if (n == 0) break;
        else same = std::equal(x.begin(), x.begin() + n, y.begin());
    }
    if (first >= 0) ::close(first);
    if (second >= 0) ::close(second);
    return same;
}

// "face.bmp", "face (2).bmp", "face (3).bmp" … in `folder`.
std::string NumberedName(const std::string& folder, const std::string& name, int n) {
    if (n == 1) return JoinPath(folder, name);
    const size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? "" : name.substr(dot);
    return JoinPath(folder, stem + " (" + std::to_string(n) + ")" + extension);
}

// The picture's copy in `folder`: an existing file with its bytes, or a new
// copy under the first free name. Empty when it cannot be made.
std::string CopyBeside(const std::string& picture, const std::string& folder) {
    const std::string name = PathFileName(picture);
    for (int n = 1; n < 1000; ++n) {
        const std::string target = NumberedName(folder, name, n);
        if (SameFile(picture, target)) return target;
        if (NameTaken(target)) {
            if (SameBytes(picture, target)) return target;
            continue;
        }
        if (CopyToNewFile(picture, target)) return target;
        if (errno != EEXIST) return {};
    }
    return {};
}

}  // namespace

std::string SaveProjectWithPictures(const std::string& projectPath, MatrixRecord m1,
                                    MatrixRecord m2, const std::string& frameFolder,
                                    int32_t lastFrame, int32_t backgroundColor,
                                    const ProjectAdditions& additions) {
    const std::string folder = PathFolder(projectPath);
    const bool shared = SameFile(m1.ImagePath, m2.ImagePath);
    for (MatrixRecord* m : {&m1, &m2}) {
        if (m == &m2 && shared) {
            m2.ImagePath = m1.ImagePath;
            break;
        }
        const std::string copy = CopyBeside(m->ImagePath, folder);
        if (copy.empty()) return m->ImagePath + Tr("ProjectCopy", "をコピーできませんでした。");
        m->ImagePath = copy;
    }
    return SaveMorphFile(projectPath, m1, m2, frameFolder, lastFrame, backgroundColor, nullptr,
                         additions);
}

}  // namespace fennix
