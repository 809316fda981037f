#pragma once

#include <string>

namespace fennix {

// Names of the scratch files in the temporary folder.
inline constexpr const char* kTempFolderName = "テンポラリデータ";
inline constexpr const char* kImageFolderName = "スタート・エンド画像データ";
inline constexpr const char* kZoomScratchName = "tmp.bmp";

// The prepared start and end images of one new document, full paths.
struct TempImagePair {
    std::string start;
    std::string end;
};

// The pair of temporary image names for the next new document: the first
// pair "temp_0.bmp" / "temp_1.bmp", then "temp_2.bmp" / "temp_3.bmp" and
// so on, taking the first pair of which neither file exists. An unsaved
// document keeps its files until it is saved or the program ends, so a
// second new document never takes over the images of an earlier one.
TempImagePair NextTempImagePair(const std::string& tempFolder);

// Deletes the scratch files of the run from the temporary folder: "tmp.bmp"
// and every "temp_<number>.bmp". Failures are ignored; other files stay.
void DeleteTemporaryImages(const std::string& tempFolder);

}  // namespace fennix
