#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fennix {

// One device-independent bitmap held byte for byte as a Windows BMP file lays
// it out: the 14-byte file header, the info block (the 40-byte info header and
// any colour table, exactly as stored between offset 14 and the pixel data)
// and the pixel rows. The info block and the pixel bytes can be handed
// unchanged to a video stream. The class neither decodes nor converts pixels.
class cDIB {
  public:
    struct FileHeader {
        uint16_t bfType = 0;
        uint32_t bfSize = 0;
        uint16_t bfReserved1 = 0;
        uint16_t bfReserved2 = 0;
        uint32_t bfOffBits = 0;
    };
    struct InfoHeader {
        uint32_t biSize = 0;
        int32_t biWidth = 0;
        int32_t biHeight = 0;
        uint16_t biPlanes = 0;
        uint16_t biBitCount = 0;
        uint32_t biCompression = 0;
        uint32_t biSizeImage = 0;
        int32_t biXPelsPerMeter = 0;
        int32_t biYPelsPerMeter = 0;
        uint32_t biClrUsed = 0;
        uint32_t biClrImportant = 0;
    };

    static constexpr uint16_t kBitmapMark = 19778;  // "BM"
    static constexpr uint32_t kFileHeaderSize = 14;
    static constexpr uint32_t kInfoHeaderSize = 40;

    // The headers as a file holds them, little-endian: the file header from
    // kFileHeaderSize bytes, the info header from kInfoHeaderSize bytes.
    static FileHeader ParseFileHeader(const uint8_t* bytes);
    static InfoHeader ParseInfoHeader(const uint8_t* bytes);

    // Loads a BMP file, opening only a regular file (the name's own bytes, in
    // any encoding). A missing file, or a folder, FIFO or device in its place,
    // shows "ファイルが見つかりません。", CR LF and the name (error icon) and
    // gives false at once. A file that may not be read, a wrong mark, a file
    // shorter than its headers, an image size of 0, or an info block or pixel
    // data that would reach past the end of the file give false without a
    // message; nothing beyond the file is read or allocated. On a
    // wrong mark only the file header has changed; on the other refusals the
    // headers read so far have changed and the arrays are kept.
    bool CreateFromFile(const std::string& fileName);

    // Builds the object from a packed bitmap: a 40-byte info header directly
    // followed by biSizeImage pixel bytes. Only bitmaps of 16 bits or more with
    // a stated image size are accepted (true); anything else gives false with
    // the info header overwritten all the same. A null address gives false and
    // changes nothing. Otherwise the caller guarantees that the memory holds
    // the header and the stated number of pixel bytes.
    bool CreateFromPackedDIBPointer(const void* packed);

    // Writes the file header, the info block and the pixel bytes, replacing
    // the file only once the new one is complete (see SafeFile). False when
    // the file cannot be written completely; an existing file is then as it
    // was.
    bool WriteToFile(const std::string& fileName) const;

    int32_t BitCount() const { return info_.biBitCount; }
    int32_t Height() const { return info_.biHeight; }
    int32_t Width() const { return info_.biWidth; }
    int32_t Compression() const { return static_cast<int32_t>(info_.biCompression); }
    int32_t SizeInfoHeader() const { return static_cast<int32_t>(info_.biSize); }
    int32_t SizeImage() const { return static_cast<int32_t>(info_.biSizeImage); }
    int32_t Planes() const { return info_.biPlanes; }
    int32_t ClrImportant() const { return static_cast<int32_t>(info_.biClrImportant); }
    int32_t ClrUsed() const { return static_cast<int32_t>(info_.biClrUsed); }
    int32_t XPPM() const { return info_.biXPelsPerMeter; }
    int32_t YPPM() const { return info_.biYPelsPerMeter; }
    int32_t FileType() const { return file_.bfType; }
    int32_t SizeFileHeader() const { return static_cast<int32_t>(file_.bfSize); }
    int32_t BitOffset() const { return static_cast<int32_t>(file_.bfOffBits); }

    // The first pixel byte, or nullptr when no pixels are held.
    const uint8_t* PointerToBits() const { return bits_.empty() ? nullptr : bits_.data(); }
    // The first byte of the info block, or nullptr when none is held.
    const uint8_t* PointerToBitmapInfo() const { return block_.empty() ? nullptr : block_.data(); }
    // Bytes in the info block; 0 when none is held.
    int32_t SizeBitmapInfo() const { return static_cast<int32_t>(block_.size()); }

  private:
    FileHeader file_;
    InfoHeader info_;
    std::vector<uint8_t> bits_;
    std::vector<uint8_t> block_;
};

}  // namespace fennix
