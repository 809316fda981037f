#include "support/FrameFiles.h"

#include <gtest/gtest.h>
#include <QImage>
#include <cstdlib>

#include "engine/MorphRun.h"
#include "media/ImageFile.h"

namespace fennix::test {

QColor FrameColor(int index) {
    return QColor((index * 20) % 256, 250 - (index * 20) % 250, 40);
}

void WriteFrames(const std::string& folder, int first, int last, int kind, int width, int height) {
    for (int k = first; k <= last; ++k) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(FrameColor(k));
        const std::string path = folder + "/" + FrameFileName(k, kind);
        if (kind == 0)
            ASSERT_TRUE(SaveBitmapFile(image, path));
        else
            ASSERT_TRUE(image.save(QString::fromStdString(path), "JPG", 100));
    }
}

int FrameIndexOfColor(QRgb pixel) {
    // JPEG frames come back a little off their colour; neighbours differ by 20.
    auto near = [](int a, int b) { return std::abs(a - b) <= 8; };
    for (int k = 0; k < 12; ++k) {
        const QColor c = FrameColor(k);
        if (near(c.red(), qRed(pixel)) && near(c.green(), qGreen(pixel)) &&
            near(c.blue(), qBlue(pixel)))
            return k;
    }
    return -1;
}

}  // namespace fennix::test
