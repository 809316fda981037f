#include "media/cDIB.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/Prompts.h"
#include "core/RegularFile.h"
#include "core/SafeWrite.h"
#include "core/Translation.h"

namespace fennix {

namespace {

uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A descriptor closed however the loading ends.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// Reads exactly `count` bytes at `offset`; false on an error or a short file.
bool ReadAt(int fd, uint64_t offset, uint8_t* to, uint64_t count) {
    while (count > 0) {
        const ssize_t n = ::pread(fd, to, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        to += n;
        offset += static_cast<uint64_t>(n);
        count -= static_cast<uint64_t>(n);
    }
    return true;
}

}  // namespace

cDIB::FileHeader cDIB::ParseFileHeader(const uint8_t* p) {
    cDIB::FileHeader h;
    h.bfType = Read16(p);
    h.bfSize = Read32(p + 2);
    h.bfReserved1 = Read16(p + 6);
    h.bfReserved2 = Read16(p + 8);
    h.bfOffBits = Read32(p + 10);
    return h;
}

cDIB::InfoHeader cDIB::ParseInfoHeader(const uint8_t* p) {
    cDIB::InfoHeader h;
    h.biSize = Read32(p);
    h.biWidth = static_cast<int32_t>(Read32(p + 4));
    h.biHeight = static_cast<int32_t>(Read32(p + 8));
    h.biPlanes = Read16(p + 12);
    h.biBitCount = Read16(p + 14);
    h.biCompression = Read32(p + 16);
    h.biSizeImage = Read32(p + 20);
    h.biXPelsPerMeter = static_cast<int32_t>(Read32(p + 24));
    h.biYPelsPerMeter = static_cast<int32_t>(Read32(p + 28));
    h.biClrUsed = Read32(p + 32);
    h.biClrImportant = Read32(p + 36);
    return h;
}

bool cDIB::CreateFromFile(const std::string& fileName) {
    // Only a regular file is opened, from the name's own bytes; a folder,
    // FIFO or device counts as no file at all and never blocks. A file that
    // is there but may not be read is refused without a message.
    Descriptor in{OpenRegularFile(fileName)};
    if (in.fd < 0) {
        if (errno == EACCES && IsRegularFile(fileName)) return false;
        ShowMessage(Tr("cDIB", "ファイルが見つかりません。\r\n") + fileName, MessageIcon::Critical);
        return false;
    }
    struct stat info {};
    if (::fstat(in.fd, &info) != 0 || info.st_size < 0) return false;
    const uint64_t length = static_cast<uint64_t>(info.st_size);

    uint8_t fileBytes[kFileHeaderSize] = {};
    if (!ReadAt(in.fd, 0, fileBytes, kFileHeaderSize)) return false;
    const FileHeader fileHeader = ParseFileHeader(fileBytes);
    file_ = fileHeader;
    if (fileHeader.bfType != kBitmapMark) return false;

    uint8_t infoBytes[kInfoHeaderSize] = {};
    if (length < kFileHeaderSize + kInfoHeaderSize ||
        !ReadAt(in.fd, kFileHeaderSize, infoBytes, kInfoHeaderSize))
        return false;
    info_ = ParseInfoHeader(infoBytes);

    // The header states where the pixels are and how many there are; both
    // must lie inside the file before anything is allocated for them.
    const uint64_t offset = fileHeader.bfOffBits;
    const uint64_t size = info_.biSizeImage;
    if (size == 0 || offset < kFileHeaderSize + kInfoHeaderSize || offset > length ||
        size > length - offset)
        return false;

    std::vector<uint8_t> bits(size);
    std::vector<uint8_t> block(offset - kFileHeaderSize);
    if (!ReadAt(in.fd, offset, bits.data(), size)) return false;
    if (!ReadAt(in.fd, kFileHeaderSize, block.data(), block.size())) return false;
    bits_ = std::move(bits);
    block_ = std::move(block);
    return true;
}

bool cDIB::CreateFromPackedDIBPointer(const void* packed) {
    // No bitmap at all: nothing to read, and nothing is overwritten.
    if (!packed) return false;
    const auto* bytes = static_cast<const uint8_t*>(packed);
    info_ = ParseInfoHeader(bytes);
    if (info_.biBitCount < 16 || info_.biSizeImage < 1) return false;
    bits_.assign(bytes + kInfoHeaderSize, bytes + kInfoHeaderSize + info_.biSizeImage);
    block_.assign(bytes, bytes + kInfoHeaderSize);
    file_.bfType = kBitmapMark;
    file_.bfSize = kFileHeaderSize + kInfoHeaderSize + info_.biSizeImage;
    file_.bfReserved1 = 0;
    file_.bfReserved2 = 0;
    file_.bfOffBits = kFileHeaderSize + kInfoHeaderSize;
    return true;
}

bool cDIB::WriteToFile(const std::string& fileName) const {
    uint8_t header[kFileHeaderSize];
    Put16(header, file_.bfType);
    Put32(header + 2, file_.bfSize);
    Put16(header + 6, file_.bfReserved1);
    Put16(header + 8, file_.bfReserved2);
    Put32(header + 10, file_.bfOffBits);
    std::string bytes(reinterpret_cast<const char*>(header), kFileHeaderSize);
    bytes.append(reinterpret_cast<const char*>(block_.data()), block_.size());
    bytes.append(reinterpret_cast<const char*>(bits_.data()), bits_.size());
    return ReplaceFileContents(fileName, bytes);
}

}  // namespace fennix
