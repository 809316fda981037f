#pragma once

// Frame folders and an independent reader (ffprobe, ffmpeg) for the AVI tests.

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "media/ImageFile.h"

namespace fennix::test {

// A picture of `width` × `height` whose pixels differ from frame to frame and
// from place to place, so stretching and order show in the bytes.
inline QImage FramePicture(int width, int height, int k) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb((x * 7 + k * 40) & 255, (y * 5 + k * 13) & 255, (x * y + k) & 255));
    return image;
}

// Writes frames first … last as "000.bmp" … (or .jpg) into `folder`.
inline void WriteFrames(const std::string& folder, int first, int last, int width, int height,
                        const char* extension = ".bmp") {
    for (int k = first; k <= last; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "%03d%s", k, extension);
        FramePicture(width, height, k).save(QString::fromStdString(folder + "/" + name));
    }
}

inline bool HaveFfprobe() {
    return !QStandardPaths::findExecutable("ffprobe").isEmpty();
}

// What ffprobe reports of the first video stream, key by key
// (codec_name, profile, level, pix_fmt, width, height, r_frame_rate,
// nb_read_frames).
inline std::map<std::string, std::string> ProbeVideo(const std::string& path) {
    QProcess probe;
    probe.start("ffprobe",
                {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                 "stream=codec_name,profile,level,pix_fmt,width,height,r_frame_rate,nb_read_frames",
                 "-of", "default=noprint_wrappers=1", QString::fromStdString(path)});
    probe.waitForFinished(120000);
    std::map<std::string, std::string> values;
    for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0) values[line.left(eq).toStdString()] = line.mid(eq + 1).trimmed().toStdString();
    }
    return values;
}

// Every frame of the file decoded by ffmpeg as top-down BGR24 rows.
inline QByteArray DecodeBgr24(const std::string& path) {
    QProcess decode;
    decode.start("ffmpeg", {"-v", "error", "-i", QString::fromStdString(path), "-f", "rawvideo",
                            "-pix_fmt", "bgr24", "-"});
    decode.waitForFinished(120000);
    return decode.readAllStandardOutput();
}

// The top-down BGR24 rows of an image.
inline QByteArray Bgr24(const QImage& image) {
    QByteArray bytes;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            bytes.append(static_cast<char>(qBlue(p)));
            bytes.append(static_cast<char>(qGreen(p)));
            bytes.append(static_cast<char>(qRed(p)));
        }
    return bytes;
}

}  // namespace fennix::test

#define SKIP_WITHOUT_FFPROBE()                                                       \
    do {                                                                             \
        if (!fennix::test::HaveFfprobe())                                            \
            GTEST_SKIP() << "ffprobe is not installed; the AVI cannot be read back"; \
    } while (0)
