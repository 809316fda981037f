// Two ways to morph with OpenCV, for comparison with fennix-morph render.
// Both go triangle by triangle: an affine map from the frame's triangle to
// each picture (getAffineTransform), warpAffine over the triangle's
// bounding box, a dissolve, and the result put into the frame through the
// filled triangle.
//  - the common recipe (the default): pictures as 32-bit float, bilinear
//    warps of the boxes cut from each picture, the dissolve and the mask
//    applied by multiplication, as tutorials teach it;
//  - --nearest: a lean variant in 8 bits, nearest pixel (as Fennix takes
//    it), warpAffine straight from the whole picture, addWeighted and a
//    masked copy.
// The project, its meshes and the frame files are Fennix's own, so only the
// warp differs.
//
// usage: fennix-opencv-recipe PROJECT.mph OUTDIR [--nearest]

#include <QImage>
#include <array>
#include <cstdio>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <optional>
#include <string>

#include "engine/MorphRun.h"
#include "engine/Warp.h"
#include "media/ImageFile.h"
#include "media/PicturePane.h"
#include "model/ProjectFile.h"
#include "model/Triangulation.h"

using namespace fennix;

namespace {

std::array<cv::Point2f, 3> Corners(const Triangle& t, cv::Point2f origin = {}) {
    return {cv::Point2f(t.P0.X, t.P0.Y) - origin, cv::Point2f(t.P1.X, t.P1.Y) - origin,
            cv::Point2f(t.P2.X, t.P2.Y) - origin};
}

cv::Mat Wrap(const QImage& image) {
    return cv::Mat(image.height(), image.width(), CV_8UC4, const_cast<uchar*>(image.constBits()),
                   static_cast<size_t>(image.bytesPerLine()));
}

// One triangle the lean way: straight into the 8-bit frame.
void NearestTriangle(const cv::Mat& startPixels, const cv::Mat& endPixels, const Triangle& from,
                     const Triangle& to, const Triangle& shape, double t, cv::Mat& frame) {
    static thread_local cv::Mat fromStart, fromEnd, blend, mask;
    const std::array<cv::Point2f, 3> corners = Corners(shape);
    const cv::Rect box = cv::boundingRect(std::vector<cv::Point2f>(corners.begin(), corners.end())) &
                         cv::Rect(0, 0, frame.cols, frame.rows);
    if (box.empty()) return;
    const std::array<cv::Point2f, 3> inBox = Corners(shape, cv::Point2f(box.x, box.y));
    // Maps from the box to each picture, used as inverse maps.
    const cv::Mat toStart = cv::getAffineTransform(inBox.data(), Corners(from).data());
    const cv::Mat toEnd = cv::getAffineTransform(inBox.data(), Corners(to).data());
    cv::warpAffine(startPixels, fromStart, toStart, box.size(), cv::INTER_NEAREST | cv::WARP_INVERSE_MAP,
                   cv::BORDER_REPLICATE);
    cv::warpAffine(endPixels, fromEnd, toEnd, box.size(), cv::INTER_NEAREST | cv::WARP_INVERSE_MAP,
                   cv::BORDER_REPLICATE);
    cv::addWeighted(fromStart, 1 - t, fromEnd, t, 0, blend);
    mask.create(box.size(), CV_8U);
    mask.setTo(0);
    const std::array<cv::Point, 3> polygon = {cv::Point(inBox[0]), cv::Point(inBox[1]), cv::Point(inBox[2])};
    cv::fillConvexPoly(mask, polygon.data(), 3, cv::Scalar(255));
    blend.copyTo(frame(box), mask);
}

// The box of a triangle on the picture, and the triangle within it.
cv::Rect BoxOf(const Triangle& t, const cv::Size& picture, std::array<cv::Point2f, 3>& inBox) {
    const std::array<cv::Point2f, 3> corners = Corners(t);
    const cv::Rect box = cv::boundingRect(std::vector<cv::Point2f>(corners.begin(), corners.end())) &
                         cv::Rect(0, 0, picture.width, picture.height);
    inBox = Corners(t, cv::Point2f(box.x, box.y));
    return box;
}

// One triangle the common way, on 32-bit float pictures and frame.
void CommonTriangle(const cv::Mat& startPixels, const cv::Mat& endPixels, const Triangle& from,
                    const Triangle& to, const Triangle& shape, double t, cv::Mat& frame) {
    std::array<cv::Point2f, 3> inBox, fromInBox, toInBox;
    const cv::Rect box = BoxOf(shape, frame.size(), inBox);
    const cv::Rect fromBox = BoxOf(from, startPixels.size(), fromInBox);
    const cv::Rect toBox = BoxOf(to, endPixels.size(), toInBox);
    if (box.empty() || fromBox.empty() || toBox.empty()) return;
    cv::Mat mask = cv::Mat::zeros(box.height, box.width, CV_32FC3);
    std::array<cv::Point, 3> polygon;
    for (int c = 0; c < 3; ++c) polygon[c] = cv::Point(cvRound(inBox[c].x), cvRound(inBox[c].y));
    cv::fillConvexPoly(mask, polygon.data(), 3, cv::Scalar(1.0, 1.0, 1.0), 16, 0);
    cv::Mat warpedStart, warpedEnd;
    cv::warpAffine(startPixels(fromBox), warpedStart, cv::getAffineTransform(fromInBox.data(), inBox.data()),
                   box.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT_101);
    cv::warpAffine(endPixels(toBox), warpedEnd, cv::getAffineTransform(toInBox.data(), inBox.data()), box.size(),
                   cv::INTER_LINEAR, cv::BORDER_REFLECT_101);
    const cv::Mat blend = (1.0 - t) * warpedStart + t * warpedEnd;
    frame(box) = frame(box).mul(cv::Scalar(1.0, 1.0, 1.0) - mask) + blend.mul(mask);
}

}  // namespace

int main(int argc, char** argv) {
    const bool nearest = argc == 4 && std::string(argv[3]) == "--nearest";
    if (argc != 3 && !nearest) {
        std::fprintf(stderr, "usage: fennix-opencv-recipe PROJECT.mph OUTDIR [--nearest]\n");
        return 2;
    }
    MorphProject project;
    if (!LoadMorphFile(argv[1], project).empty()) {
        std::fprintf(stderr, "cannot open the project %s\n", argv[1]);
        return 1;
    }
    std::optional<QImage> start = LoadImageFile(project.Matrix1.ImagePath);
    std::optional<QImage> end = LoadImageFile(project.Matrix2.ImagePath);
    if (!start || !end || start->size() != end->size() || project.LastFrame < 1) {
        std::fprintf(stderr, "the project's pictures cannot be read or differ in size\n");
        return 1;
    }
    *start = start->convertToFormat(QImage::Format_RGB32);
    *end = end->convertToFormat(QImage::Format_RGB32);
    cv::Mat startPixels = Wrap(*start), endPixels = Wrap(*end);
    const TriangleList startList = BuildTriangles(project.Matrix1);
    const TriangleList endList = BuildTriangles(project.Matrix2);

    PicturePane surface;
    surface.SetBackColor(project.BackgroundColor);
    surface.SetSize(start->width(), start->height());
    cv::Mat frame = Wrap(surface.Layer());
    cv::Mat floatFrame;
    if (!nearest) {
        // The common recipe works on three float channels throughout.
        cv::Mat bgr;
        cv::cvtColor(startPixels, bgr, cv::COLOR_BGRA2BGR);
        bgr.convertTo(startPixels, CV_32FC3);
        cv::cvtColor(endPixels, bgr, cv::COLOR_BGRA2BGR);
        bgr.convertTo(endPixels, CV_32FC3);
        cv::cvtColor(frame, bgr, cv::COLOR_BGRA2BGR);
        bgr.convertTo(floatFrame, CV_32FC3);
    }
    const int N = project.LastFrame;
    for (int k = 0; k <= N; ++k) {
        const double t = static_cast<double>(k) / N;
        const TriangleList mesh = InterpolateTriangles(startList, endList, k, N);
        for (int i = 1; i <= mesh.Count(); ++i) {
            if (nearest)
                NearestTriangle(startPixels, endPixels, startList[i], endList[i], mesh[i], t, frame);
            else
                CommonTriangle(startPixels, endPixels, startList[i], endList[i], mesh[i], t, floatFrame);
        }
        if (!nearest) {
            cv::Mat bgr;
            floatFrame.convertTo(bgr, CV_8UC3);
            cv::cvtColor(bgr, frame, cv::COLOR_BGR2BGRA);
        }
        const std::string path = std::string(argv[2]) + "/" + FrameFileName(k, 0);
        if (!surface.SaveBitmap(path, nullptr, false)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
