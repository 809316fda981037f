#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "media/cDIB.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

void Put16(std::string& s, size_t at, uint32_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A BMP file laid out by hand: headers, `tableEntries` colour table entries
// and `imageSize` pixel bytes counting up from 1.
std::string BitmapBytes(int width, int height, int bitCount, int tableEntries, uint32_t imageSize) {
    const uint32_t offset = 54 + 4 * tableEntries;
    std::string s(offset + imageSize, '\0');
    s[0] = 'B';
    s[1] = 'M';
    Put32(s, 2, static_cast<uint32_t>(s.size()));
    Put32(s, 10, offset);
    Put32(s, 14, 40);
    Put32(s, 18, width);
    Put32(s, 22, height);
    Put16(s, 26, 1);
    Put16(s, 28, bitCount);
    Put32(s, 34, imageSize);
    Put32(s, 38, 2835);
    Put32(s, 42, 2834);
    Put32(s, 46, tableEntries);
    Put32(s, 50, 7);
    for (int i = 0; i < 4 * tableEntries; ++i) s[54 + i] = static_cast<char>(i * 7);
    for (uint32_t i = 0; i < imageSize; ++i) s[offset + i] = static_cast<char>(i + 1);
    return s;
}

class DibTest : public testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder.File(name);
        test::WriteFile(path, bytes);
        return path;
    }
    test::TestFolder folder;
    test::ScopedPrompts prompts;
    cDIB dib;
};

TEST_F(DibTest, EmptyObjectReportsNoData) {
    EXPECT_EQ(dib.Width(), 0);
    EXPECT_EQ(dib.SizeImage(), 0);
    EXPECT_EQ(dib.FileType(), 0);
    EXPECT_EQ(dib.PointerToBits(), nullptr);
    EXPECT_EQ(dib.PointerToBitmapInfo(), nullptr);
    EXPECT_EQ(dib.SizeBitmapInfo(), 0);
}

TEST_F(DibTest, Loads24BitFileAndWritesItBackUnchanged) {
    const std::string bytes = BitmapBytes(4, 2, 24, 0, 24);
    ASSERT_TRUE(dib.CreateFromFile(Write("small.bmp", bytes)));
    EXPECT_EQ(dib.SizeBitmapInfo(), 40);
    EXPECT_EQ(dib.SizeImage(), 24);
    EXPECT_EQ(dib.Width(), 4);
    EXPECT_EQ(dib.Height(), 2);
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.Planes(), 1);
    EXPECT_EQ(dib.SizeInfoHeader(), 40);
    EXPECT_EQ(dib.Compression(), 0);
    EXPECT_EQ(dib.XPPM(), 2835);
    EXPECT_EQ(dib.YPPM(), 2834);
    EXPECT_EQ(dib.ClrImportant(), 7);
    EXPECT_EQ(dib.FileType(), 19778);
    EXPECT_EQ(dib.SizeFileHeader(), 78);
    EXPECT_EQ(dib.BitOffset(), 54);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dib.PointerToBits()), 24),
              bytes.substr(54));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dib.PointerToBitmapInfo()), 40),
              bytes.substr(14, 40));

    const std::string copy = folder.File("copy.bmp");
    ASSERT_TRUE(dib.WriteToFile(copy));
    EXPECT_EQ(test::ReadFile(copy), bytes);
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(DibTest, InfoBlockOf8BitFileHoldsHeaderAndColourTable) {
    const std::string bytes = BitmapBytes(4, 4, 8, 256, 16);
    ASSERT_TRUE(dib.CreateFromFile(Write("palette.bmp", bytes)));
    EXPECT_EQ(dib.BitOffset(), 1078);
    EXPECT_EQ(dib.SizeBitmapInfo(), 1064);
    EXPECT_EQ(dib.ClrUsed(), 256);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dib.PointerToBitmapInfo()), 1064),
              bytes.substr(14, 1064));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dib.PointerToBits()), 16),
              bytes.substr(1078));
}

TEST_F(DibTest, WrongMarkIsRefusedSilentlyAndKeepsTheRest) {
    ASSERT_TRUE(dib.CreateFromFile(Write("small.bmp", BitmapBytes(4, 2, 24, 0, 24))));
    std::string other = BitmapBytes(8, 8, 24, 0, 192);
    other[1] = 'A';
    EXPECT_FALSE(dib.CreateFromFile(Write("other.bmp", other)));
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_EQ(dib.FileType(), 'B' | ('A' << 8));  // the file header was read
    EXPECT_EQ(dib.Width(), 4);                    // the rest is as before
    EXPECT_EQ(dib.SizeImage(), 24);
    EXPECT_EQ(dib.SizeBitmapInfo(), 40);
}

TEST_F(DibTest, MissingFileShowsItsName) {
    const std::string path = folder.File("gone.bmp");
    EXPECT_FALSE(dib.CreateFromFile(path));
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "ファイルが見つかりません。\r\n" + path);
    EXPECT_EQ(prompts->shown[0].title, "Fennix");
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Critical);
}

TEST_F(DibTest, OnlyRegularFilesAreReadWhateverTheirNameBytes) {
    // A FIFO, a folder and a device in place of the file: "not found" at
    // once, never a wait for a writer.
    const std::string fifo = folder.File("000.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder.File("001.bmp"));
    for (const std::string& path : {fifo, folder.File("001.bmp"), std::string("/dev/zero")}) {
        prompts->shown.clear();
        EXPECT_FALSE(dib.CreateFromFile(path)) << path;
        ASSERT_EQ(prompts->shown.size(), 1u) << path;
        EXPECT_EQ(prompts->shown[0].text, "ファイルが見つかりません。\r\n" + path);
    }
    EXPECT_EQ(dib.SizeImage(), 0);

    // A Latin-1 name, in a Latin-1 folder.
    std::filesystem::create_directory(folder.File("d\xE9j\xE0"));
    const std::string bytes = BitmapBytes(2, 2, 24, 0, 16);
    const std::string path = Write("d\xE9j\xE0/caf\xE9.bmp", bytes);
    prompts->shown.clear();
    ASSERT_TRUE(dib.CreateFromFile(path));
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_EQ(dib.Width(), 2);
    EXPECT_EQ(dib.SizeImage(), 16);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dib.PointerToBits()), 16),
              bytes.substr(54));
}

TEST_F(DibTest, HeadersThatPointPastTheFileAreRefused) {
    // Pixel data cut short: the header claims 24 bytes, the file holds 10.
    std::string cut = BitmapBytes(4, 2, 24, 0, 24);
    cut.resize(64);
    EXPECT_FALSE(dib.CreateFromFile(Write("cut.bmp", cut)));

    // An image size no file could hold.
    std::string huge = BitmapBytes(4, 2, 24, 0, 24);
    Put32(huge, 34, 0xFFFFFFF0u);
    EXPECT_FALSE(dib.CreateFromFile(Write("huge.bmp", huge)));

    // Pixel offset beyond the end, and inside the headers.
    std::string far = BitmapBytes(4, 2, 24, 0, 24);
    Put32(far, 10, 0x7FFFFFFFu);
    EXPECT_FALSE(dib.CreateFromFile(Write("far.bmp", far)));
    Put32(far, 10, 20);
    EXPECT_FALSE(dib.CreateFromFile(Write("near.bmp", far)));

    // An image size of 0, and a file that ends inside the info header.
    EXPECT_FALSE(dib.CreateFromFile(Write("zero.bmp", BitmapBytes(4, 2, 24, 0, 0))));
    EXPECT_FALSE(
        dib.CreateFromFile(Write("short.bmp", BitmapBytes(4, 2, 24, 0, 24).substr(0, 30))));

    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_EQ(dib.PointerToBits(), nullptr);
}

TEST_F(DibTest, Packed32BitBitmapBecomesA4150ByteFile) {
    const std::string bytes = BitmapBytes(32, 32, 32, 0, 4096);
    const std::string packed = bytes.substr(14);
    ASSERT_TRUE(dib.CreateFromPackedDIBPointer(packed.data()));
    EXPECT_EQ(dib.SizeFileHeader(), 4150);
    EXPECT_EQ(dib.BitOffset(), 54);
    EXPECT_EQ(dib.FileType(), 19778);
    EXPECT_EQ(dib.SizeBitmapInfo(), 40);
    EXPECT_EQ(dib.SizeImage(), 4096);

    const std::string path = folder.File("packed.bmp");
    ASSERT_TRUE(dib.WriteToFile(path));
    const std::string written = test::ReadFile(path);
    ASSERT_EQ(written.size(), 4150u);
    EXPECT_EQ(written.substr(14), packed);

    cDIB back;
    ASSERT_TRUE(back.CreateFromFile(path));
    EXPECT_EQ(back.Width(), 32);
    EXPECT_EQ(back.SizeImage(), 4096);
}

TEST_F(DibTest, PackedPaletteOrSizelessBitmapIsRefused) {
    const std::string palette = BitmapBytes(4, 4, 8, 0, 16).substr(14);
    EXPECT_FALSE(dib.CreateFromPackedDIBPointer(palette.data()));
    EXPECT_EQ(dib.BitCount(), 8);  // the header was taken all the same
    EXPECT_EQ(dib.PointerToBits(), nullptr);

    const std::string sizeless = BitmapBytes(4, 4, 32, 0, 0).substr(14);
    EXPECT_FALSE(dib.CreateFromPackedDIBPointer(sizeless.data()));

    // No bitmap at all: refused without reading, the loaded bitmap kept.
    const std::string good = BitmapBytes(4, 2, 32, 0, 32).substr(14);
    ASSERT_TRUE(dib.CreateFromPackedDIBPointer(good.data()));
    EXPECT_FALSE(dib.CreateFromPackedDIBPointer(nullptr));
    EXPECT_EQ(dib.BitCount(), 32);
    EXPECT_EQ(dib.Width(), 4);
    EXPECT_EQ(dib.SizeImage(), 32);
    EXPECT_EQ(dib.SizeFileHeader(), 86);
}

}  // namespace
}  // namespace fennix
