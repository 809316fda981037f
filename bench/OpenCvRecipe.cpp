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
// And, without OpenCV, a yardstick of how fast a warp of this kind can
// plausibly go when it need not match Fennix's arithmetic:
//  - --limit: Fennix's index map of the frame's mesh, per triangle an affine
//    map into each picture worked out once (in floats, stepped along the
//    row), nearest pixel, an 8-bit fixed-point blend; the rows shared by two
//    threads, each frame written while the next is made, as a run does.
// The project, its meshes and the frame files (and their writer) are
// Fennix's own, so only the warp differs.
//
// usage: fennix-opencv-recipe PROJECT.mph OUTDIR [--nearest | --limit]

// GCC 12's AVX-512 headers start some intrinsics from a deliberately
// undefined register and then warn about it.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wpsabi"
#include <immintrin.h>

#include <QImage>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <future>
#include <thread>
#include <vector>
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


// The affine map of a triangle of the frame's mesh onto the same triangle
// of a picture: source = (ax·x + bx·y + cx, ay·x + by·y + cy).
struct Affine {
    float ax, bx, cx, ay, by, cy;
};

// False for a triangle without area (the index map gives it no pixels).
bool AffineOnto(const Triangle& shape, const Triangle& picture, Affine& map) {
    const double x0 = shape.P0.X, y0 = shape.P0.Y, x1 = shape.P1.X, y1 = shape.P1.Y, x2 = shape.P2.X,
                 y2 = shape.P2.Y;
    const double det = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
    if (det == 0) return false;
    auto solve = [&](double u0, double u1, double u2, float& a, float& b, float& c) {
        const double da = ((u1 - u0) * (y2 - y0) - (u2 - u0) * (y1 - y0)) / det;
        const double db = ((x1 - x0) * (u2 - u0) - (x2 - x0) * (u1 - u0)) / det;
        a = static_cast<float>(da);
        b = static_cast<float>(db);
        c = static_cast<float>(u0 - da * x0 - db * y0);
    };
    solve(picture.P0.X, picture.P1.X, picture.P2.X, map.ax, map.bx, map.cx);
    solve(picture.P0.Y, picture.P1.Y, picture.P2.Y, map.ay, map.by, map.cy);
    return true;
}

// The nearest pixel's offset of sixteen positions of row y along a map.
__attribute__((target("avx512f,avx512bw"))) inline __m512i At(const Affine& m, __m512 X, int y, int width,
                                                              int height) {
    const __m512 zero = _mm512_setzero_ps(), half = _mm512_set1_ps(0.5f);
    const __m512 px = _mm512_fmadd_ps(_mm512_set1_ps(m.ax), X, _mm512_set1_ps(m.bx * y + m.cx));
    const __m512 py = _mm512_fmadd_ps(_mm512_set1_ps(m.ay), X, _mm512_set1_ps(m.by * y + m.cy));
    const __m512i ix = _mm512_cvttps_epi32(
        _mm512_add_ps(_mm512_min_ps(_mm512_max_ps(px, zero), _mm512_set1_ps(static_cast<float>(width - 1))), half));
    const __m512i iy = _mm512_cvttps_epi32(
        _mm512_add_ps(_mm512_min_ps(_mm512_max_ps(py, zero), _mm512_set1_ps(static_cast<float>(height - 1))), half));
    return _mm512_add_epi32(_mm512_mullo_epi32(iy, _mm512_set1_epi32(width)), ix);
}

// Byte pairs (S, E) of sixteen channels as (S·keep + E·take + 128) / 256.
__attribute__((target("avx512f,avx512bw"))) inline __m512i BlendPairs(__m512i pairs, __m512i weights,
                                                                      __m512i rounding) {
    const __m512i zeroes = _mm512_setzero_si512();
    const __m512i a = _mm512_madd_epi16(_mm512_unpacklo_epi8(pairs, zeroes), weights);
    const __m512i b = _mm512_madd_epi16(_mm512_unpackhi_epi8(pairs, zeroes), weights);
    return _mm512_srli_epi16(_mm512_add_epi16(_mm512_packus_epi32(a, b), rounding), 8);
}

// Pixels x0 … x1 − 1 of row y of one triangle, sixteen at a time with
// AVX-512: positions in floats, truncated after clamping and adding a half,
// gathered, blended in 16-bit lanes.
__attribute__((target("avx512f,avx512bw"))) void LimitRunAvx512(const uint32_t* start, const uint32_t* end,
                                                                 uint32_t* out, int width, int height,
                                                                 const Affine& s, const Affine& e, int keep,
                                                                 int take, int x0, int x1, int y) {
    const __m512 lanes = _mm512_setr_ps(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m512i weights = _mm512_set1_epi32(static_cast<int>((static_cast<uint32_t>(take) << 16) | static_cast<uint32_t>(keep)));
    const __m512i rounding = _mm512_set1_epi16(128);
    for (int x = x0; x < x1; x += 16) {
        const __mmask16 mask = x1 - x >= 16 ? __mmask16(0xFFFF) : static_cast<__mmask16>((1u << (x1 - x)) - 1);
        const __m512 X = _mm512_add_ps(_mm512_set1_ps(static_cast<float>(x)), lanes);
        const __m512i S = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), mask, At(s, X, y, width, height), start, 4);
        const __m512i E = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), mask, At(e, X, y, width, height), end, 4);
        // Each channel byte of S beside that of E as 16-bit pairs, times
        // (keep, take), summed, rounded, back to bytes.
        const __m512i low = _mm512_unpacklo_epi8(S, E), high = _mm512_unpackhi_epi8(S, E);
        const __m512i colour =
            _mm512_packus_epi16(BlendPairs(low, weights, rounding), BlendPairs(high, weights, rounding));
        const __m512i old = _mm512_maskz_loadu_epi32(mask, out + x);
        _mm512_mask_storeu_epi32(out + x, mask,
                                 _mm512_ternarylogic_epi32(old, _mm512_set1_epi32(static_cast<int>(0xFF000000u)),
                                                           _mm512_and_si512(colour, _mm512_set1_epi32(0xFFFFFF)), 0xEA));
    }
}

// Rows first … last − 1 of one frame: each run of one triangle stepped along
// its affine maps, the nearest pixel of each picture (clamped), blended
// with weights out of 256.
void LimitRows(const uint32_t* start, const uint32_t* end, uint32_t* frame, int width, int height,
               const IndexMap& map, const std::vector<Affine>& toStart, const std::vector<Affine>& toEnd,
               const std::vector<char>& usable, int take, int first, int last) {
    const int keep = 256 - take;
    static const bool wide = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    const float right = static_cast<float>(width - 1), bottom = static_cast<float>(height - 1);
    auto nearest = [](float v, float limit) { return static_cast<int>(std::min(std::max(v, 0.0f), limit) + 0.5f); };
    for (int y = first; y < last; ++y) {
        const int32_t* index = map.Index.data() + static_cast<size_t>(y) * width;
        uint32_t* out = frame + static_cast<size_t>(y) * width;
        for (int x = 0; x < width;) {
            const int i = index[x];
            int runEnd = x + 1;
            while (runEnd < width && index[runEnd] == i) ++runEnd;
            if (i > 0 && usable[static_cast<size_t>(i)] && wide) {
                LimitRunAvx512(start, end, out, width, height, toStart[static_cast<size_t>(i)],
                               toEnd[static_cast<size_t>(i)], keep, take, x, runEnd, y);
            } else if (i > 0 && usable[static_cast<size_t>(i)]) {
                const Affine& s = toStart[static_cast<size_t>(i)];
                const Affine& e = toEnd[static_cast<size_t>(i)];
                float sx = s.ax * x + s.bx * y + s.cx, sy = s.ay * x + s.by * y + s.cy;
                float ex = e.ax * x + e.bx * y + e.cx, ey = e.ay * x + e.by * y + e.cy;
                for (int p = x; p < runEnd; ++p) {
                    const uint32_t S = start[static_cast<size_t>(nearest(sy, bottom)) * width + nearest(sx, right)];
                    const uint32_t E = end[static_cast<size_t>(nearest(ey, bottom)) * width + nearest(ex, right)];
                    // Blue and red together, then green, in 16-bit fields.
                    const uint32_t br = (((S & 0xFF00FFu) * keep + (E & 0xFF00FFu) * take + 0x800080u) >> 8) & 0xFF00FFu;
                    const uint32_t g = (((S & 0xFF00u) * keep + (E & 0xFF00u) * take + 0x8000u) >> 8) & 0xFF00u;
                    out[p] = (out[p] & 0xFF000000u) | br | g;
                    sx += s.ax, sy += s.ay, ex += e.ax, ey += e.ay;
                }
            }
            x = runEnd;
        }
    }
}

// The whole run the --limit way; 0 when every frame was written.
int LimitRun(const QImage& start, const QImage& end, const TriangleList& startList, const TriangleList& endList,
             int N, PicturePane& surface, const std::string& folder) {
    const int width = start.width(), height = start.height();
    const auto* startBits = reinterpret_cast<const uint32_t*>(start.constBits());
    const auto* endBits = reinterpret_cast<const uint32_t*>(end.constBits());
    // Two frames: one written while the other is made.
    QImage frames[2] = {surface.Layer().convertToFormat(QImage::Format_RGB32),
                        surface.Layer().convertToFormat(QImage::Format_RGB32)};
    std::future<bool> writing;
    IndexMap map;
    std::vector<Affine> toStart, toEnd;
    std::vector<char> usable;
    for (int k = 0; k <= N; ++k) {
        const TriangleList mesh = InterpolateTriangles(startList, endList, k, N);
        PaintIndexMap(map, width, height, mesh);
        const size_t n = static_cast<size_t>(mesh.Count()) + 1;
        toStart.assign(n, Affine{});
        toEnd.assign(n, Affine{});
        usable.assign(n, 0);
        for (int i = 1; i <= mesh.Count(); ++i)
            usable[static_cast<size_t>(i)] = AffineOnto(mesh[i], startList[i], toStart[static_cast<size_t>(i)]) &&
                                             AffineOnto(mesh[i], endList[i], toEnd[static_cast<size_t>(i)]);
        const int take = static_cast<int>(std::lround(256.0 * k / N));
        QImage& frame = frames[k % 2];
        auto* bits = reinterpret_cast<uint32_t*>(frame.bits());
        std::thread helper(LimitRows, startBits, endBits, bits, width, height, std::cref(map), std::cref(toStart),
                           std::cref(toEnd), std::cref(usable), take, height / 2, height);
        LimitRows(startBits, endBits, bits, width, height, map, toStart, toEnd, usable, take, 0, height / 2);
        helper.join();
        if (writing.valid() && !writing.get()) return 1;
        const std::string path = folder + "/" + FrameFileName(k, 0);
        writing = std::async(std::launch::async, [&frame, path] {
            return SaveBitmapFile(frame, path, nullptr, false);
        });
    }
    return writing.valid() && !writing.get() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool nearest = argc == 4 && std::string(argv[3]) == "--nearest";
    const bool limit = argc == 4 && std::string(argv[3]) == "--limit";
    if (argc != 3 && !nearest && !limit) {
        std::fprintf(stderr, "usage: fennix-opencv-recipe PROJECT.mph OUTDIR [--nearest | --limit]\n");
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
    if (limit) {
        const int failed = LimitRun(*start, *end, startList, endList, project.LastFrame, surface, argv[2]);
        if (failed) std::fprintf(stderr, "cannot write the frames into %s\n", argv[2]);
        return failed;
    }
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
        if (!SaveBitmapFile(surface.Layer(), path, nullptr, false)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
