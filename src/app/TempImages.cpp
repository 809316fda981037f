#include "app/TempImages.h"

#include <filesystem>
#include <system_error>

#include "core/Paths.h"

namespace fennix {

namespace {
std::string TempImageName(int number) { return "temp_" + std::to_string(number) + ".bmp"; }

bool IsTempImageName(const std::string& name) {
    const std::string prefix = "temp_", suffix = ".bmp";
    if (name.size() <= prefix.size() + suffix.size()) return false;
    if (name.compare(0, prefix.size(), prefix) != 0) return false;
    if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    for (size_t i = prefix.size(); i < name.size() - suffix.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}
}  // namespace

TempImagePair NextTempImagePair(const std::string& tempFolder) {
    for (int n = 0;; n += 2) {
        TempImagePair pair{JoinPath(tempFolder, TempImageName(n)),
                           JoinPath(tempFolder, TempImageName(n + 1))};
        std::error_code error;
        if (!std::filesystem::exists(pair.start, error) && !std::filesystem::exists(pair.end, error))
            return pair;
    }
}

void DeleteTemporaryImages(const std::string& tempFolder) {
    std::error_code error;
    std::filesystem::remove(JoinPath(tempFolder, kZoomScratchName), error);
    std::filesystem::directory_iterator it(tempFolder, error), end;
    for (; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code ignored;
        if (IsTempImageName(name) && it->is_regular_file(ignored))
            std::filesystem::remove(it->path(), ignored);
    }
}

}  // namespace fennix
