#pragma once

// The middle frame of a morph, scored: both pictures warped to the middle
// mesh one affine map per triangle, and the SSIM of the two.

#include <QImage>
#include <array>
#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "model/FreeMesh.h"

namespace fennix::bench {

// A picture as float grey levels.
inline cv::Mat GrayFloat(const QImage& image) {
    const QImage g = image.convertToFormat(QImage::Format_Grayscale8);
    cv::Mat m(g.height(), g.width(), CV_8UC1, const_cast<uchar*>(g.constBits()),
              static_cast<size_t>(g.bytesPerLine()));
    cv::Mat f;
    m.convertTo(f, CV_32F);
    return f;
}

using Triangles = std::vector<std::array<int, 3>>;

// `picture` warped from the places `from` to the places `to`, triangle by
// triangle.
inline cv::Mat WarpMesh(const cv::Mat& picture, const std::vector<cv::Point2f>& from,
                        const std::vector<cv::Point2f>& to, const Triangles& triangles) {
    cv::Mat out = cv::Mat::zeros(picture.size(), picture.type());
    for (const auto& t : triangles) {
        const cv::Point2f a[3] = {from[t[0]], from[t[1]], from[t[2]]};
        const cv::Point2f b[3] = {to[t[0]], to[t[1]], to[t[2]]};
        const double area = (b[1] - b[0]).cross(b[2] - b[0]);
        if (std::abs(area) < 1e-6) continue;
        const cv::Mat m = cv::getAffineTransform(a, b);
        // Only the triangle's box is warped: fine meshes stay quick.
        const cv::Rect box = cv::boundingRect(std::vector<cv::Point2f>{b[0], b[1], b[2]}) &
                             cv::Rect(0, 0, picture.cols, picture.rows);
        if (box.empty()) continue;
        cv::Mat shifted = m.clone();
        shifted.at<double>(0, 2) -= box.x;
        shifted.at<double>(1, 2) -= box.y;
        cv::Mat warped;
        cv::warpAffine(picture, warped, shifted, box.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
        cv::Mat mask = cv::Mat::zeros(box.size(), CV_8U);
        const cv::Point corners[3] = {cv::Point(cvRound(b[0].x) - box.x, cvRound(b[0].y) - box.y),
                                      cv::Point(cvRound(b[1].x) - box.x, cvRound(b[1].y) - box.y),
                                      cv::Point(cvRound(b[2].x) - box.x, cvRound(b[2].y) - box.y)};
        cv::fillConvexPoly(mask, corners, 3, 255);
        warped.copyTo(out(box), mask);
    }
    return out;
}

inline double Ssim(const cv::Mat& a, const cv::Mat& b, const cv::Mat& region) {
    const double c1 = 6.5025, c2 = 58.5225;
    cv::Mat ma, mb, aa, bb, ab;
    const cv::Size k(11, 11);
    cv::GaussianBlur(a, ma, k, 1.5);
    cv::GaussianBlur(b, mb, k, 1.5);
    cv::GaussianBlur(a.mul(a), aa, k, 1.5);
    cv::GaussianBlur(b.mul(b), bb, k, 1.5);
    cv::GaussianBlur(a.mul(b), ab, k, 1.5);
    const cv::Mat va = aa - ma.mul(ma), vb = bb - mb.mul(mb), cov = ab - ma.mul(mb);
    cv::Mat num = (2 * ma.mul(mb) + c1).mul(2 * cov + c2);
    cv::Mat den = (ma.mul(ma) + mb.mul(mb) + c1).mul(va + vb + c2);
    cv::Mat map;
    cv::divide(num, den, map);
    return cv::mean(map, region)[0];
}

struct Mesh {
    std::vector<cv::Point2f> Start, End;
    Triangles Tri;
};

// The mesh of two records: grid points and free points, as a morph cuts it.
inline Mesh FromRecords(const MatrixRecord& start, const MatrixRecord& end) {
    Mesh m;
    for (const Point& p : MeshCorners(start)) m.Start.emplace_back(p.X, p.Y);
    for (const Point& p : MeshCorners(end)) m.End.emplace_back(p.X, p.Y);
    for (const auto& t : BuildFreeMesh(start, end).Triangles) m.Tri.push_back({t[0], t[1], t[2]});
    return m;
}

// The SSIM, inside `region`, of the two pictures warped to the middle mesh.
inline double MiddleScore(const cv::Mat& a, const cv::Mat& b, const Mesh& mesh,
                          const cv::Mat& region) {
    std::vector<cv::Point2f> middle;
    for (size_t k = 0; k < mesh.Start.size(); ++k)
        middle.push_back((mesh.Start[k] + mesh.End[k]) * 0.5f);
    return Ssim(WarpMesh(a, mesh.Start, middle, mesh.Tri), WarpMesh(b, mesh.End, middle, mesh.Tri),
                region);
}

}  // namespace fennix::bench
