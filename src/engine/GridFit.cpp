#include "engine/GridFit.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <optional>
#include <tuple>

#include <opencv2/calib3d.hpp>
#include <opencv2/core.hpp>
#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>
#include <opencv2/video/tracking.hpp>
#include "core/Translation.h"

#include "core/Rounding.h"
#include "engine/FaceLandmarks.h"
#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"

namespace fennix {

namespace {

// A picture in working pixels: its grid's frame (Width × Height) scaled by
// Scale. Grid places and working places share the pixel-centre convention:
// grid place x is the centre of pixel x.
struct WorkingPicture {
    cv::Mat Gray;
    double Scale = 1;
    double ToWork(double v) const { return (v + 0.5) * Scale - 0.5; }
    double FromWork(double v) const { return (v + 0.5) / Scale - 0.5; }
};

WorkingPicture MakeWorking(const QImage& image, int gridWidth, int gridHeight, int side) {
    WorkingPicture picture;
    picture.Scale = std::min(1.0, static_cast<double>(side) / std::max(gridWidth, gridHeight));
    const int width = std::max(1, static_cast<int>(std::lround(gridWidth * picture.Scale)));
    const int height = std::max(1, static_cast<int>(std::lround(gridHeight * picture.Scale)));
    picture.Scale = static_cast<double>(width) / gridWidth;
    const QImage rgb =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
            ? image
            : image.convertToFormat(QImage::Format_RGB32);
    // QImage keeps 0xAARRGGBB words: the bytes run B, G, R, A.
    const cv::Mat bgra(rgb.height(), rgb.width(), CV_8UC4, const_cast<uchar*>(rgb.constBits()),
                       static_cast<size_t>(rgb.bytesPerLine()));
    cv::Mat gray;
    cv::cvtColor(bgra, gray, cv::COLOR_BGRA2GRAY);
    const bool smaller = width * height < gray.cols * gray.rows;
    cv::resize(gray, picture.Gray, cv::Size(width, height), 0, 0,
               smaller ? cv::INTER_AREA : cv::INTER_LINEAR);
    return picture;
}

Similarity FromMatrix(const cv::Mat& m) {
    return {m.at<double>(0, 0), m.at<double>(1, 0), m.at<double>(0, 2), m.at<double>(1, 2)};
}

double ScaleOf(const Similarity& s) {
    return std::hypot(s.A, s.B);
}

bool Plausible(const Similarity& s) {
    const double scale = ScaleOf(s);
    return std::isfinite(scale) && std::isfinite(s.C) && std::isfinite(s.D) && scale > 0.2 &&
           scale < 5;
}

// The similarity of the feature matches between the two pictures (start
// places to end places), when enough of them agree on one.
std::optional<Similarity> FeatureAlignment(const cv::Mat& start, const cv::Mat& end) {
    auto orb = cv::ORB::create(2000);
    std::vector<cv::KeyPoint> startPoints, endPoints;
    cv::Mat startDescriptors, endDescriptors;
    orb->detectAndCompute(start, cv::noArray(), startPoints, startDescriptors);
    orb->detectAndCompute(end, cv::noArray(), endPoints, endDescriptors);
    if (startPoints.size() < 8 || endPoints.size() < 8) return std::nullopt;
    cv::BFMatcher matcher(cv::NORM_HAMMING);
    std::vector<std::vector<cv::DMatch>> candidates;
    matcher.knnMatch(startDescriptors, endDescriptors, candidates, 2);
    std::vector<cv::Point2f> from, to;
    for (const auto& pair : candidates) {
        if (pair.size() < 2 || pair[0].distance >= 0.8f * pair[1].distance) continue;
        from.push_back(startPoints[static_cast<size_t>(pair[0].queryIdx)].pt);
        to.push_back(endPoints[static_cast<size_t>(pair[0].trainIdx)].pt);
    }
    if (from.size() < 12) return std::nullopt;
    std::vector<uchar> inliers;
    const cv::Mat m =
        cv::estimateAffinePartial2D(from, to, inliers, cv::RANSAC, 3.0, 4000, 0.995, 10);
    if (m.empty()) return std::nullopt;
    const int agreeing = cv::countNonZero(inliers);
    if (agreeing < 15 || agreeing * 4 < static_cast<int>(from.size())) return std::nullopt;
    const Similarity s = FromMatrix(m);
    if (!Plausible(s)) return std::nullopt;
    return s;
}

// A face in a working picture: its box and, when both were found, its
// eyes (left one first).
struct Face {
    cv::Rect2d Box;
    bool Eyes = false;
    cv::Point2d Left, Right;
};

// The largest face `cascade` finds in `gray`, looked for on a copy of at
// most 480 pixels.
std::optional<Face> FindFace(const cv::Mat& gray, cv::CascadeClassifier& cascade,
                             cv::CascadeClassifier* eyes) {
    const double shrink = std::min(1.0, 480.0 / std::max(gray.cols, gray.rows));
    cv::Mat small;
    cv::resize(gray, small, cv::Size(), shrink, shrink, cv::INTER_AREA);
    cv::equalizeHist(small, small);
    std::vector<cv::Rect> found;
    const int least = std::max(24, std::min(small.cols, small.rows) / 8);
    cascade.detectMultiScale(small, found, 1.1, 5, 0, cv::Size(least, least));
    if (found.empty()) return std::nullopt;
    const cv::Rect box = *std::max_element(found.begin(), found.end(),
                                           [](auto& a, auto& b) { return a.area() < b.area(); });
    Face face;
    face.Box = cv::Rect2d(box.x / shrink, box.y / shrink, box.width / shrink, box.height / shrink);
    if (eyes) {
        // Eyes lie in the upper half of a face, one each side of its middle.
        const cv::Rect upper(box.x, box.y, box.width, box.height / 2);
        std::vector<cv::Rect> eyeBoxes;
        eyes->detectMultiScale(small(upper), eyeBoxes, 1.1, 4, 0,
                               cv::Size(box.width / 8, box.width / 8));
        std::optional<cv::Point2d> left, right;
        for (const cv::Rect& e : eyeBoxes) {
            const cv::Point2d centre(upper.x + e.x + e.width / 2.0, upper.y + e.y + e.height / 2.0);
            auto& side = centre.x < box.x + box.width / 2.0 ? left : right;
            if (!side) side = centre / shrink;
        }
        if (left && right) {
            face.Eyes = true;
            face.Left = *left;
            face.Right = *right;
        }
    }
    return face;
}

// The similarity that takes the face of the start picture onto the face of
// the end picture: by the eyes when both show them, else by the boxes.
Similarity FaceSimilarity(const Face& start, const Face& end) {
    std::vector<FitReference> pairs;
    if (start.Eyes && end.Eyes) {
        pairs = {{start.Left.x, start.Left.y, end.Left.x, end.Left.y},
                 {start.Right.x, start.Right.y, end.Right.x, end.Right.y}};
    } else {
        pairs = {{start.Box.x, start.Box.y, end.Box.x, end.Box.y},
                 {start.Box.br().x, start.Box.br().y, end.Box.br().x, end.Box.br().y}};
    }
    Similarity s;
    SimilarityOfPairs(pairs, s);
    return s;
}

// A face found in both pictures (people first, then cats), mapped from the
// start picture to the end picture, and the face's size in the start
// picture. None when the cascade files are missing or no face is in both.
std::optional<std::pair<Similarity, Face>> FaceAlignment(const cv::Mat& start, const cv::Mat& end,
                                                         const std::string& folder) {
    if (folder.empty()) return std::nullopt;
    namespace fs = std::filesystem;
    const auto load = [&folder](const char* name, cv::CascadeClassifier& cascade) {
        std::error_code error;
        const fs::path path = fs::path(folder) / name;
        return fs::is_regular_file(path, error) && cascade.load(path.string()) && !cascade.empty();
    };
    cv::CascadeClassifier eyes;
    const bool haveEyes = load("haarcascade_eye.xml", eyes);
    const std::pair<const char*, bool> cascades[] = {
        {"haarcascade_frontalface_default.xml", true},  // people, with eyes
        {"haarcascade_frontalcatface_extended.xml", false}};
    for (const auto& [name, human] : cascades) {
        cv::CascadeClassifier cascade;
        if (!load(name, cascade)) continue;
        cv::CascadeClassifier* eyeCascade = human && haveEyes ? &eyes : nullptr;
        const auto startFace = FindFace(start, cascade, eyeCascade);
        if (!startFace) continue;
        const auto endFace = FindFace(end, cascade, eyeCascade);
        if (!endFace) continue;
        const Similarity s = FaceSimilarity(*startFace, *endFace);
        if (Plausible(s)) return std::make_pair(s, *startFace);
    }
    return std::nullopt;
}

// Fills the displacements of the points not trusted from their trusted
// neighbours: the smooth (membrane) interpolation that keeps trusted points
// fixed. With no point trusted, every displacement is zero.
void InterpolateUntrusted(std::vector<cv::Point2d>& shift, const std::vector<char>& trusted,
                          int countI, int countJ) {
    const bool any = std::find(trusted.begin(), trusted.end(), 1) != trusted.end();
    for (size_t k = 0; k < shift.size(); ++k)
        if (!trusted[k]) shift[k] = {0, 0};
    if (!any) return;
    const auto at = [countI](int i, int j) { return static_cast<size_t>(j) * countI + i; };
    // Start from the nearest trusted value along the rows, so the sweeps
    // below have little to carry.
    for (int j = 0; j < countJ; ++j) {
        for (int i = 0; i < countI; ++i) {
            if (trusted[at(i, j)]) continue;
            double best = 1e300;
            for (int jj = 0; jj < countJ; ++jj)
                for (int ii = 0; ii < countI; ++ii)
                    if (trusted[at(ii, jj)]) {
                        const double d = std::hypot(ii - i, jj - j);
                        if (d < best) best = d, shift[at(i, j)] = shift[at(ii, jj)];
                    }
        }
    }
    for (int sweep = 0; sweep < 500; ++sweep) {
        double change = 0;
        for (int j = 0; j < countJ; ++j) {
            for (int i = 0; i < countI; ++i) {
                if (trusted[at(i, j)]) continue;
                cv::Point2d sum(0, 0);
                int n = 0;
                if (i > 0) sum += shift[at(i - 1, j)], ++n;
                if (i + 1 < countI) sum += shift[at(i + 1, j)], ++n;
                if (j > 0) sum += shift[at(i, j - 1)], ++n;
                if (j + 1 < countJ) sum += shift[at(i, j + 1)], ++n;
                const cv::Point2d next = sum / n;
                change = std::max(change, cv::norm(next - shift[at(i, j)]));
                shift[at(i, j)] = next;
            }
        }
        if (change < 1e-3) break;
    }
}

// Bilinear sample of a two-channel float field, clamped at its edges.
cv::Point2f Sample(const cv::Mat& field, float x, float y) {
    x = std::clamp(x, 0.0f, static_cast<float>(field.cols - 1));
    y = std::clamp(y, 0.0f, static_cast<float>(field.rows - 1));
    const int x0 = std::min(static_cast<int>(x), field.cols - 2 < 0 ? 0 : field.cols - 2);
    const int y0 = std::min(static_cast<int>(y), field.rows - 2 < 0 ? 0 : field.rows - 2);
    const int x1 = std::min(x0 + 1, field.cols - 1), y1 = std::min(y0 + 1, field.rows - 1);
    const float fx = x - x0, fy = y - y0;
    const auto v = [&field](int xx, int yy) { return field.at<cv::Point2f>(yy, xx); };
    return (v(x0, y0) * (1 - fx) + v(x1, y0) * fx) * (1 - fy) +
           (v(x0, y1) * (1 - fx) + v(x1, y1) * fx) * fy;
}

// How far a grid point on a plain patch looks for trusted flow, in working
// pixels.
constexpr int kWideReach = 8;

// The flow at working place (x, y) of the start picture, when it can be
// trusted: the median over a (2·reach + 1)² window of the pixels whose flow
// comes back (forward-backward check), the window being textured and at
// least 60 % of it consistent.
std::optional<cv::Point2d> TrustedFlow(const cv::Mat& start, const cv::Mat& forward,
                                       const cv::Mat& backward, double x, double y, int reach = 2) {
    const int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
    if (cx < 0 || cy < 0 || cx >= start.cols || cy >= start.rows) return std::nullopt;
    // Texture: the spread of the start picture in a window a little wider.
    const int seen = reach + 2;
    const cv::Rect around = cv::Rect(cx - seen, cy - seen, 2 * seen + 1, 2 * seen + 1) &
                            cv::Rect(0, 0, start.cols, start.rows);
    cv::Scalar mean, spread;
    cv::meanStdDev(start(around), mean, spread);
    if (spread[0] < 2.0) return std::nullopt;
    std::vector<float> xs, ys;
    int tried = 0;
    for (int yy = cy - reach; yy <= cy + reach; ++yy) {
        for (int xx = cx - reach; xx <= cx + reach; ++xx) {
            if (xx < 0 || yy < 0 || xx >= start.cols || yy >= start.rows) continue;
            ++tried;
            const cv::Point2f f = forward.at<cv::Point2f>(yy, xx);
            const cv::Point2f back = Sample(backward, xx + f.x, yy + f.y);
            const float error = std::hypot(f.x + back.x, f.y + back.y);
            if (error > 0.75f + 0.05f * std::hypot(f.x, f.y)) continue;
            xs.push_back(f.x);
            ys.push_back(f.y);
        }
    }
    if (tried == 0 || xs.size() * 10 < static_cast<size_t>(tried) * 6) return std::nullopt;
    const auto median = [](std::vector<float>& v) {
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return static_cast<double>(v[v.size() / 2]);
    };
    return cv::Point2d(median(xs), median(ys));
}

// A thin-plate spline from places of one picture to places of another:
// it passes through its pairs (nearly: a little smoothing keeps it calm
// where pairs lie close) and is affine far from them.
class PlateSpline {
  public:
    bool Fit(const std::vector<cv::Point2d>& from, const std::vector<cv::Point2d>& to,
             double unit) {
        const int n = static_cast<int>(from.size());
        if (n < 3 || to.size() != from.size() || !(unit > 0)) return false;
        unit_ = unit;
        centres_.clear();
        for (const cv::Point2d& p : from) centres_.push_back(p / unit_);
        cv::Mat system = cv::Mat::zeros(n + 3, n + 3, CV_64F);
        cv::Mat values = cv::Mat::zeros(n + 3, 2, CV_64F);
        for (int a = 0; a < n; ++a) {
            for (int b = 0; b < n; ++b)
                system.at<double>(a, b) =
                    Kernel(centres_[static_cast<size_t>(a)] - centres_[static_cast<size_t>(b)]);
            system.at<double>(a, a) += 1e-4;
            system.at<double>(a, n) = system.at<double>(n, a) = 1;
            system.at<double>(a, n + 1) = system.at<double>(n + 1, a) =
                centres_[static_cast<size_t>(a)].x;
            system.at<double>(a, n + 2) = system.at<double>(n + 2, a) =
                centres_[static_cast<size_t>(a)].y;
            values.at<double>(a, 0) = to[static_cast<size_t>(a)].x / unit_;
            values.at<double>(a, 1) = to[static_cast<size_t>(a)].y / unit_;
        }
        if (!cv::solve(system, values, weights_, cv::DECOMP_LU)) return false;
        return cv::checkRange(weights_);
    }

    cv::Point2d operator()(double x, double y) const {
        const cv::Point2d p(x / unit_, y / unit_);
        const int n = static_cast<int>(centres_.size());
        double u = weights_.at<double>(n, 0) + weights_.at<double>(n + 1, 0) * p.x +
                   weights_.at<double>(n + 2, 0) * p.y;
        double v = weights_.at<double>(n, 1) + weights_.at<double>(n + 1, 1) * p.x +
                   weights_.at<double>(n + 2, 1) * p.y;
        for (int k = 0; k < n; ++k) {
            const double w = Kernel(p - centres_[static_cast<size_t>(k)]);
            u += weights_.at<double>(k, 0) * w;
            v += weights_.at<double>(k, 1) * w;
        }
        return {u * unit_, v * unit_};
    }

  private:
    static double Kernel(const cv::Point2d& d) {
        const double r2 = d.x * d.x + d.y * d.y;
        return r2 > 1e-18 ? r2 * std::log(r2) : 0;
    }
    double unit_ = 1;
    std::vector<cv::Point2d> centres_;
    cv::Mat weights_;
};

// The two pictures' faces as pairs of landmarks, in working pixels.
struct FacePairsFound {
    std::vector<cv::Point2d> Start, End;
};

QImage WorkingColour(const QImage& image, const cv::Mat& size) {
    return image.scaled(size.cols, size.rows, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// The end picture's places of the start picture's working places (x, y),
// evaluated for every pixel of a picture of `size`.
void SplineMaps(const PlateSpline& spline, cv::Size size, cv::Mat& mapX, cv::Mat& mapY) {
    mapX.create(size, CV_32F);
    mapY.create(size, CV_32F);
    cv::parallel_for_(cv::Range(0, size.height), [&](const cv::Range& rows) {
        for (int y = rows.start; y < rows.end; ++y) {
            float* mx = mapX.ptr<float>(y);
            float* my = mapY.ptr<float>(y);
            for (int x = 0; x < size.width; ++x) {
                const cv::Point2d q = spline(x, y);
                mx[x] = static_cast<float>(q.x);
                my[x] = static_cast<float>(q.y);
            }
        }
    });
}

// Pins the border for a spline from a picture of `from` size to one of
// `to` size: points along each side go to the same place of the other
// picture's side.
void AddBorderPins(cv::Size fromSize, cv::Size toSize, std::vector<cv::Point2d>& from,
                   std::vector<cv::Point2d>& to) {
    const double w = fromSize.width - 1, h = fromSize.height - 1;
    const double ew = toSize.width - 1, eh = toSize.height - 1;
    constexpr int kPins = 6;
    for (int k = 0; k < kPins; ++k) {
        const double f = static_cast<double>(k) / kPins;
        const std::pair<cv::Point2d, cv::Point2d> pins[] = {{{f * w, 0}, {f * ew, 0}},
                                                            {{w, f * h}, {ew, f * eh}},
                                                            {{w - f * w, h}, {ew - f * ew, eh}},
                                                            {{0, h - f * h}, {0, eh - f * eh}}};
        for (const auto& [a, b] : pins) from.push_back(a), to.push_back(b);
    }
}

bool SamePoint(const Point& a, const Point& b) {
    return a.X == b.X && a.Y == b.Y;
}

// Where the mesh of `start` and `end` (grid and free points) takes each of
// the start places `places`, unrounded; none for a place no triangle holds.
std::vector<std::optional<cv::Point2d>> MapPlaces(const MatrixRecord& start,
                                                  const MatrixRecord& end,
                                                  const std::vector<cv::Point2d>& places) {
    std::vector<std::optional<cv::Point2d>> mapped(places.size());
    const FreeMesh mesh = BuildFreeMesh(start, end);
    const std::vector<Point> from = MeshCorners(start), to = MeshCorners(end);
    // The places lie on a lattice; each triangle looks at those in its box.
    for (const auto& [a, b, c] : mesh.Triangles) {
        const cv::Point2d p0(from[a].X, from[a].Y), p1(from[b].X, from[b].Y),
            p2(from[c].X, from[c].Y);
        const double whole = (p1 - p0).cross(p2 - p0);
        if (whole == 0) continue;
        const double left = std::min({p0.x, p1.x, p2.x}), right = std::max({p0.x, p1.x, p2.x});
        const double top = std::min({p0.y, p1.y, p2.y}), bottom = std::max({p0.y, p1.y, p2.y});
        for (size_t k = 0; k < places.size(); ++k) {
            const cv::Point2d& q = places[k];
            if (mapped[k] || q.x < left || q.x > right || q.y < top || q.y > bottom) continue;
            const double la = (p1 - q).cross(p2 - q) / whole;
            const double lb = (p2 - q).cross(p0 - q) / whole;
            const double lc = 1 - la - lb;
            if (la < -1e-9 || lb < -1e-9 || lc < -1e-9) continue;
            mapped[k] = cv::Point2d(la * to[a].X + lb * to[b].X + lc * to[c].X,
                                    la * to[a].Y + lb * to[b].Y + lc * to[c].Y);
        }
    }
    return mapped;
}

// Free point pairs where the flow is trusted but the mesh is too coarse to
// follow it: start places on a lattice whose trusted flow (agreeing with
// its neighbours') leads more than `tolerance` pixels from where the mesh
// takes them. The worst go first, each kept apart from every point of the
// mesh, in a few rounds (each round's pairs change the mesh the next one
// measures against). Every pair passes CheckFreePairs: the mesh never
// folds. Appends the pairs to both records and returns them.
template <typename Target>
std::vector<FreePair> AddDetailPairs(MatrixRecord& startAll, MatrixRecord& endAll, double tolerance,
                                     int most, const Target& target) {
    std::vector<FreePair> added;
    if (most <= 0 || !CheckFreePairs(startAll, endAll).Passed()) return added;
    const int width = startAll.Width, height = startAll.Height;
    const double step = std::max(8.0, std::max(width, height) / 48.0);
    const int across = static_cast<int>(std::floor((width - step) / step)) + 1;
    const int down = static_cast<int>(std::floor((height - step) / step)) + 1;
    if (across < 3 || down < 3) return added;
    // The lattice and the end place the flow gives each node.
    std::vector<cv::Point2d> nodes;
    std::vector<std::optional<cv::Point2d>> targets;
    for (int v = 0; v < down; ++v)
        for (int u = 0; u < across; ++u) {
            const cv::Point2d at(RoundEvenInt(step / 2 + u * step),
                                 RoundEvenInt(step / 2 + v * step));
            nodes.push_back(at);
            targets.push_back(target(at.x, at.y));
        }
    // A node whose flow disagrees with the median of its neighbours' is
    // left out: lone flow vectors are more often wrong than right.
    std::vector<char> usable(nodes.size(), 0);
    for (int v = 0; v < down; ++v)
        for (int u = 0; u < across; ++u) {
            const size_t k = static_cast<size_t>(v) * across + u;
            if (!targets[k]) continue;
            std::vector<double> dx, dy;
            for (int dv = -1; dv <= 1; ++dv)
                for (int du = -1; du <= 1; ++du) {
                    const int uu = u + du, vv = v + dv;
                    if ((du == 0 && dv == 0) || uu < 0 || vv < 0 || uu >= across || vv >= down)
                        continue;
                    const size_t n = static_cast<size_t>(vv) * across + uu;
                    if (!targets[n]) continue;
                    dx.push_back(targets[n]->x - nodes[n].x);
                    dy.push_back(targets[n]->y - nodes[n].y);
                }
            if (dx.size() < 4) continue;
            std::nth_element(dx.begin(), dx.begin() + dx.size() / 2, dx.end());
            std::nth_element(dy.begin(), dy.begin() + dy.size() / 2, dy.end());
            const double off = std::hypot(targets[k]->x - nodes[k].x - dx[dx.size() / 2],
                                          targets[k]->y - nodes[k].y - dy[dy.size() / 2]);
            usable[k] = off <= std::max(2 * tolerance, 0.08 * step);
        }
    const double apart = 2 * step;
    for (int round = 0; round < 6 && static_cast<int>(added.size()) < most; ++round) {
        const auto mapped = MapPlaces(startAll, endAll, nodes);
        std::vector<std::pair<double, size_t>> worst;
        for (size_t k = 0; k < nodes.size(); ++k) {
            if (!usable[k] || !mapped[k]) continue;
            const double off = cv::norm(*targets[k] - *mapped[k]);
            if (off > tolerance) worst.emplace_back(off, k);
        }
        if (worst.empty()) break;
        std::sort(worst.begin(), worst.end(), std::greater<>());
        std::vector<cv::Point2d> taken;
        for (const Point& p : MeshCorners(startAll)) taken.emplace_back(p.X, p.Y);
        const size_t before = startAll.FreePoints.size();
        for (const auto& [off, k] : worst) {
            if (static_cast<int>(added.size() + startAll.FreePoints.size() - before) >= most) break;
            const cv::Point2d& at = nodes[k];
            if (std::any_of(taken.begin(), taken.end(),
                            [&](const cv::Point2d& t) { return cv::norm(t - at) < apart; }))
                continue;
            taken.push_back(at);
            startAll.FreePoints.push_back({static_cast<int>(at.x), static_cast<int>(at.y)});
            endAll.FreePoints.push_back(
                {std::clamp(RoundEvenInt(targets[k]->x), 0, endAll.Width),
                 std::clamp(RoundEvenInt(targets[k]->y), 0, endAll.Height)});
        }
        if (startAll.FreePoints.size() == before) break;
        // The round's pairs that fold the mesh (or fail the check otherwise)
        // go, one at a time, a bounded number of times: when the check
        // still fails, or blames a pair that was there before, the round's
        // pairs all go and the fit stops adding.
        constexpr int kChecksPerRound = 16;
        bool passed = false;
        for (int tries = 0; tries < kChecksPerRound; ++tries) {
            const FreePairCheck check = CheckFreePairs(startAll, endAll);
            if (check.Passed()) {
                passed = true;
                break;
            }
            if (check.Pair < static_cast<int>(before)) break;
            startAll.FreePoints.erase(startAll.FreePoints.begin() + check.Pair);
            endAll.FreePoints.erase(endAll.FreePoints.begin() + check.Pair);
        }
        if (!passed) {
            startAll.FreePoints.resize(before);
            endAll.FreePoints.resize(before);
            break;
        }
        for (size_t n = before; n < startAll.FreePoints.size(); ++n)
            added.push_back({startAll.FreePoints[n], endAll.FreePoints[n]});
        if (startAll.FreePoints.size() == before) break;
    }
    return added;
}

GridFitResult Failure(std::string message) {
    GridFitResult result;
    result.Outcome = FitOutcome::Failed;
    result.Message = std::move(message);
    return result;
}

GridFitResult Fit(const QImage& startImage, const QImage& endImage, const MatrixRecord& startGrid,
                  const MatrixRecord& endGrid, const GridFitOptions& options,
                  const FitProgress& progress) {
    const auto going = [&progress](int percent) { return !progress || progress(percent); };
    GridFitResult result;
    result.Points = endGrid.Points;
    result.StartFreePoints = startGrid.FreePoints;
    result.FreePoints = endGrid.FreePoints;
    const auto cancelled = [&result] {
        result.Outcome = FitOutcome::Cancelled;
        result.Message = Tr("GridFit", "自動調整を中止しました。");
        return result;
    };
    if (startImage.isNull() || endImage.isNull())
        return Failure(Tr("GridFit", "画像がありません。"));
    if (startGrid.Rows != endGrid.Rows || startGrid.Columns != endGrid.Columns ||
        startGrid.Points.CountI() != endGrid.Points.CountI() ||
        startGrid.Points.CountJ() != endGrid.Points.CountJ() ||
        startGrid.Points.CountI() != startGrid.Rows + 1 ||
        startGrid.Points.CountJ() != startGrid.Columns + 1)
        return Failure(
            Tr("GridFit", "開始画像と終了画像のメッシュの数が違うため、自動調整できません。"));
    if (startGrid.Width < 2 || startGrid.Height < 2 || endGrid.Width < 2 || endGrid.Height < 2)
        return Failure(Tr("GridFit", "画像が小さすぎるため、自動調整できません。"));
    if (!going(0)) return cancelled();

    const int side = std::max(64, options.WorkingSide);
    const WorkingPicture start = MakeWorking(startImage, startGrid.Width, startGrid.Height, side);
    const WorkingPicture end = MakeWorking(endImage, endGrid.Width, endGrid.Height, side);
    if (!going(10)) return cancelled();

    // The faces' landmarks, when the model is there and no reference pairs
    // were given.
    std::optional<FacePairsFound> facePairs;
    if (options.References.empty() && options.Faces) {
        if (!options.Faces->Loaded()) {
            result.FaceNote =
                Tr("GridFit", "顔の特徴点のモデルがないため、顔の特徴点は使いませんでした。");
        } else {
            const auto startFaces =
                options.Faces->Find(WorkingColour(startImage, start.Gray), options.CascadeFolder);
            const auto endFaces =
                options.Faces->Find(WorkingColour(endImage, end.Gray), options.CascadeFolder);
            result.StartFaces = static_cast<int>(startFaces.size());
            result.EndFaces = static_cast<int>(endFaces.size());
            const bool chosen = options.StartFace >= 0 && options.EndFace >= 0 &&
                                options.StartFace < result.StartFaces &&
                                options.EndFace < result.EndFaces;
            if (chosen) {
                FacePairsFound found;
                for (const FacePoint& p : startFaces[static_cast<size_t>(options.StartFace)].Points)
                    found.Start.emplace_back(p.X, p.Y);
                for (const FacePoint& p : endFaces[static_cast<size_t>(options.EndFace)].Points)
                    found.End.emplace_back(p.X, p.Y);
                facePairs = std::move(found);
            } else if (result.StartFaces > 0 && result.EndFaces > 0) {
                result.FaceNote =
                    Tr("GridFit", "選んだ番号の顔がないため、顔の特徴点は使いませんでした。");
            }
        }
        if (!going(20)) return cancelled();
    }
    // Every fit replaces the pairs an earlier one added for detail, and a
    // fit with faces those an earlier one placed on faces; the user's own
    // pairs stay.
    const auto baseOf = [&](bool dropFaces) {
        MatrixRecord startBase = startGrid, endBase = endGrid;
        startBase.FreePoints.clear();
        endBase.FreePoints.clear();
        const auto among = [](const std::vector<FreePair>& pairs, const Point& a, const Point& b) {
            return std::any_of(pairs.begin(), pairs.end(), [&](const FreePair& p) {
                return SamePoint(p.Start, a) && SamePoint(p.End, b);
            });
        };
        for (int f = 0; f < FreePairCount(startGrid, endGrid); ++f) {
            const Point a = startGrid.FreePoints[static_cast<size_t>(f)];
            const Point b = endGrid.FreePoints[static_cast<size_t>(f)];
            if (among(options.PreviousDetailPairs, a, b) ||
                (dropFaces && among(options.PreviousFacePairs, a, b)))
                continue;
            startBase.FreePoints.push_back(a);
            endBase.FreePoints.push_back(b);
        }
        return std::pair{startBase, endBase};
    };
    MatrixRecord startBase, endBase;
    std::tie(startBase, endBase) = baseOf(facePairs.has_value());

    // The global alignment, start working places to end working places.
    // With nothing found, the grid frames are laid on each other: a grid
    // place of the start picture is the same grid place of the end picture.
    const double ratio = end.Scale / start.Scale;
    Similarity align{ratio, 0, 0.5 * ratio - 0.5, 0.5 * ratio - 0.5};
    if (!options.References.empty()) {
        std::vector<FitReference> pairs;
        for (const FitReference& r : options.References)
            pairs.push_back({start.ToWork(r.StartX), start.ToWork(r.StartY), end.ToWork(r.EndX),
                             end.ToWork(r.EndY)});
        if (!SimilarityOfPairs(pairs, align) || !Plausible(align))
            return Failure(
                Tr("GridFit",
                   "基準点から位置合わせを決められません。離れた場所を2〜3組指定してください。"));
        result.Alignment = FitAlignment::References;
    } else if (facePairs) {
        std::vector<FitReference> pairs;
        for (size_t k = 0; k < facePairs->Start.size(); ++k)
            pairs.push_back({facePairs->Start[k].x, facePairs->Start[k].y, facePairs->End[k].x,
                             facePairs->End[k].y});
        if (SimilarityOfPairs(pairs, align) && Plausible(align)) {
            result.Alignment = FitAlignment::Faces;
            result.FaceFound = true;
        } else {
            facePairs.reset();
            align = Similarity{ratio, 0, 0.5 * ratio - 0.5, 0.5 * ratio - 0.5};
        }
    }
    if (result.Alignment == FitAlignment::None && options.References.empty()) {
        const auto face = FaceAlignment(start.Gray, end.Gray, options.CascadeFolder);
        if (!going(25)) return cancelled();
        const auto features = FeatureAlignment(start.Gray, end.Gray);
        if (!going(40)) return cancelled();
        if (face) {
            align = face->first;
            result.Alignment = FitAlignment::Faces;
            result.FaceFound = true;
            // Features refine a face's alignment when they agree with it:
            // they put the face's middle within a quarter of its size.
            if (features) {
                const cv::Point2d middle = (face->second.Box.tl() + face->second.Box.br()) / 2;
                const double apart =
                    std::hypot(features->MapX(middle.x, middle.y) - align.MapX(middle.x, middle.y),
                               features->MapY(middle.x, middle.y) - align.MapY(middle.x, middle.y));
                if (apart < 0.25 * face->second.Box.width * ScaleOf(align)) {
                    align = *features;
                    result.Alignment = FitAlignment::Features;
                }
            }
        } else if (features) {
            align = *features;
            result.Alignment = FitAlignment::Features;
        }
    }

    if (!facePairs) std::tie(startBase, endBase) = baseOf(false);

    // Where a working place of the start picture lies in the end picture:
    // by the alignment, or by a spline through matched pairs (the face
    // landmarks, or the user's reference points) and the pinned border.
    // Reference points carried by a similarity alone drive the grid off the
    // picture where it scales up or turns; the spline takes them onto each
    // other and keeps the picture whole.
    std::vector<cv::Point2d> splineFrom, splineTo;
    if (facePairs) {
        splineFrom = facePairs->Start, splineTo = facePairs->End;
    } else if (result.Alignment == FitAlignment::References) {
        for (const FitReference& r : options.References) {
            splineFrom.emplace_back(start.ToWork(r.StartX), start.ToWork(r.StartY));
            splineTo.emplace_back(end.ToWork(r.EndX), end.ToWork(r.EndY));
        }
    }
    PlateSpline spline;
    bool splineLed = false;
    if (!splineFrom.empty()) {
        std::vector<cv::Point2d> from = splineFrom, to = splineTo;
        AddBorderPins(start.Gray.size(), end.Gray.size(), from, to);
        splineLed = spline.Fit(from, to, std::max(start.Gray.cols, start.Gray.rows));
        if (!splineLed) facePairs.reset();
    }
    result.SplineLed = splineLed;
    const auto toEnd = [&](double x, double y) {
        return splineLed ? spline(x, y) : cv::Point2d(align.MapX(x, y), align.MapY(x, y));
    };

    const auto insideEnd = [&end](const cv::Point2d& q) {
        return q.x >= -0.5 && q.y >= -0.5 && q.x <= end.Gray.cols - 0.5 &&
               q.y <= end.Gray.rows - 0.5;
    };
    const int countI = startGrid.Rows + 1, countJ = startGrid.Columns + 1;
    const size_t n = static_cast<size_t>(countI) * countJ;
    struct Flows {
        cv::Mat Forward, Backward;
        std::vector<cv::Point2d> Shift;
        std::vector<char> Trusted;
    };
    // The flow between the start picture and the end picture laid onto it
    // (by the spline or by the alignment), and the grid points it can be
    // trusted at; false when stopped.
    const auto measure = [&](Flows& flows, bool first) {
        std::vector<cv::Point2d>& shift = flows.Shift;
        std::vector<char>& trusted = flows.Trusted;
        shift.assign(n, cv::Point2d(0, 0));
        trusted.assign(n, 0);
        // The end picture laid onto the start picture, with the brightness and
        // contrast of the start picture.
        cv::Mat aligned;
        cv::Mat& forward = flows.Forward;
        cv::Mat& backward = flows.Backward;
        if (splineLed) {
            cv::Mat mapX, mapY;
            SplineMaps(spline, start.Gray.size(), mapX, mapY);
            cv::remap(end.Gray, aligned, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
        } else {
            const cv::Mat toEndMatrix =
                (cv::Mat_<double>(2, 3) << align.A, -align.B, align.C, align.B, align.A, align.D);
            cv::warpAffine(end.Gray, aligned, toEndMatrix, start.Gray.size(),
                           cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
        }
        {
            cv::Scalar startMean, startSpread, alignedMean, alignedSpread;
            cv::meanStdDev(start.Gray, startMean, startSpread);
            cv::meanStdDev(aligned, alignedMean, alignedSpread);
            const double gain = startSpread[0] / std::max(1.0, alignedSpread[0]);
            aligned.convertTo(aligned, CV_8U, gain, startMean[0] - gain * alignedMean[0]);
        }
        if (!going(first ? 45 : 92)) return false;

        auto dis = cv::DISOpticalFlow::create(cv::DISOpticalFlow::PRESET_MEDIUM);
        dis->calc(start.Gray, aligned, forward);
        if (!going(first ? 70 : 93)) return false;
        dis->calc(aligned, start.Gray, backward);
        if (!going(first ? 90 : 94)) return false;

        for (int j = 1; j <= countJ; ++j) {
            for (int i = 1; i <= countI; ++i) {
                const size_t k = static_cast<size_t>(j - 1) * countI + (i - 1);
                const Point p = startGrid.Points(i, j);
                const double x = start.ToWork(p.X), y = start.ToWork(p.Y);
                // A point on a plain patch looks wider around it before it
                // gives up: flow from a few pixels away beats interpolation
                // from the next grid points.
                auto flow = TrustedFlow(start.Gray, forward, backward, x, y);
                if (!flow) flow = TrustedFlow(start.Gray, forward, backward, x, y, kWideReach);
                if (!flow) continue;
                // Where it leads must lie in the end picture.
                if (!insideEnd(toEnd(x + flow->x, y + flow->y))) continue;
                shift[k] = *flow;
                trusted[k] = 1;
            }
        }
        return true;
    };
    Flows flows;
    if (!measure(flows, true)) return cancelled();
    // Reference points of a scene merely turned or scaled (the same scene in
    // both pictures) are better served by their similarity, which carries
    // the whole picture, than by a spline pinned at the border: the flow
    // tells, holding for far more points under it.
    if (splineLed && result.Alignment == FitAlignment::References) {
        const auto count = [](const Flows& f) {
            return static_cast<size_t>(std::count(f.Trusted.begin(), f.Trusted.end(), 1));
        };
        Flows bySimilarity;
        splineLed = false;
        if (!measure(bySimilarity, false)) return cancelled();
        if (count(bySimilarity) > 2 * count(flows) && count(bySimilarity) * 2 >= n)
            flows = std::move(bySimilarity);
        else
            splineLed = true;
        result.SplineLed = splineLed;
    }
    const cv::Mat& forward = flows.Forward;
    const cv::Mat& backward = flows.Backward;
    std::vector<cv::Point2d>& shift = flows.Shift;
    const std::vector<char>& trusted = flows.Trusted;
    result.Trusted = static_cast<int>(std::count(trusted.begin(), trusted.end(), 1));
    result.Interpolated = static_cast<int>(n) - result.Trusted;

    // Pictures with nothing in common: no alignment was found and the flow
    // holds for less than a quarter of the points. The grid stays.
    if (result.Alignment == FitAlignment::None && result.Trusted * 4 < static_cast<int>(n)) {
        result.Outcome = FitOutcome::NoMatch;
        result.Trusted = result.Interpolated = 0;
        result.Message =
            Tr("GridFit", "2つの画像に共通する部分が見つからないため、メッシュはそのままです。");
        return result;
    }
    // Without a spline the untrusted points follow their trusted
    // neighbours; with one they follow the spline, which knows the matched
    // places better than flow spread from elsewhere.
    if (!splineLed) InterpolateUntrusted(shift, trusted, countI, countJ);

    std::vector<PointTarget> targets(n);
    for (int j = 1; j <= countJ; ++j) {
        for (int i = 1; i <= countI; ++i) {
            const size_t k = static_cast<size_t>(j - 1) * countI + (i - 1);
            const Point p = startGrid.Points(i, j);
            const cv::Point2d q =
                toEnd(start.ToWork(p.X) + shift[k].x, start.ToWork(p.Y) + shift[k].y);
            targets[k] = {end.FromWork(q.x), end.FromWork(q.y)};
        }
    }
    MatrixRecord fitted = endGrid;
    fitted.FreePoints.clear();
    const UnfoldedMoveResult moved = MoveUnfolded(fitted, targets);
    // Strokes stay where they were drawn: grid points that would fold the
    // mesh around them stay too.
    result.HeldBack = moved.heldBack + RestoreGridForStrokes(startGrid, fitted, endGrid.Points);
    result.Points = fitted.Points;

    // Free points: each end point goes where the flow leads its start
    // point; where the flow is not trusted or would fold the mesh, where
    // the fitted grid takes it; failing that it stays, unless staying folds
    // the mesh and the place the mesh of the pairs placed so far takes it
    // to does not (a folded set is one a project cannot hold).
    MatrixRecord startGridOnly = startGrid;
    startGridOnly.FreePoints.clear();
    MatrixRecord startSoFar = startGridOnly, endSoFar = fitted;
    result.FreePoints = endBase.FreePoints;
    for (int f = 0; f < FreePairCount(startBase, endBase); ++f) {
        const Point p = startBase.FreePoints[static_cast<size_t>(f)];
        std::vector<Point> candidates;
        const double x = start.ToWork(p.X), y = start.ToWork(p.Y);
        if (const auto flow = TrustedFlow(start.Gray, forward, backward, x, y)) {
            const cv::Point2d q = toEnd(x + flow->x, y + flow->y);
            if (insideEnd(q))
                candidates.push_back(
                    {std::clamp(RoundEvenInt(end.FromWork(q.x)), 0, endGrid.Width),
                     std::clamp(RoundEvenInt(end.FromWork(q.y)), 0, endGrid.Height)});
        }
        if (const auto mapped = MapThroughMesh(startGridOnly, fitted, 1, p))
            candidates.push_back(*mapped);
        const Point stays = endBase.FreePoints[static_cast<size_t>(f)];
        candidates.push_back(stays);
        if (const auto carried = MapThroughMesh(startSoFar, endSoFar, 1, p))
            candidates.push_back(*carried);
        startSoFar.FreePoints.push_back(p);
        endSoFar.FreePoints.push_back(stays);
        for (const Point& candidate : candidates) {
            endSoFar.FreePoints.back() = candidate;
            if (MeshUnfolded(startSoFar, endSoFar)) break;
        }
        if (!MeshUnfolded(startSoFar, endSoFar)) endSoFar.FreePoints.back() = stays;
        result.FreePoints[static_cast<size_t>(f)] = endSoFar.FreePoints.back();
    }
    result.StartFreePoints = startBase.FreePoints;
    MatrixRecord startFinal = startSoFar, endFinal = endSoFar;

    // The face pairs: each landmark of the start face and its partner. A
    // landmark on a place some point holds already is left out. All are
    // tried at once; when they fold the mesh together, one by one, each
    // kept only when the mesh stays unfolded.
    if (facePairs) {
        if (!going(92)) return cancelled();
        std::vector<FreePair> faces;
        std::vector<Point> taken = MeshCorners(startSoFar);
        for (size_t k = 0; k < facePairs->Start.size(); ++k) {
            const Point a{
                std::clamp(RoundEvenInt(start.FromWork(facePairs->Start[k].x)), 0, startGrid.Width),
                std::clamp(RoundEvenInt(start.FromWork(facePairs->Start[k].y)), 0,
                           startGrid.Height)};
            const Point b{
                std::clamp(RoundEvenInt(end.FromWork(facePairs->End[k].x)), 0, endGrid.Width),
                std::clamp(RoundEvenInt(end.FromWork(facePairs->End[k].y)), 0, endGrid.Height)};
            if (std::any_of(taken.begin(), taken.end(),
                            [&a](const Point& t) { return SamePoint(t, a); }))
                continue;
            taken.push_back(a);
            faces.push_back({a, b});
        }
        MatrixRecord startAll = startSoFar, endAll = endSoFar;
        for (const FreePair& p : faces)
            startAll.FreePoints.push_back(p.Start), endAll.FreePoints.push_back(p.End);
        if (!MeshUnfolded(startAll, endAll)) {
            // Slow for many pairs: each check builds the whole mesh again.
            startAll = startSoFar, endAll = endSoFar;
            std::vector<FreePair> kept;
            for (const FreePair& p : faces) {
                startAll.FreePoints.push_back(p.Start);
                endAll.FreePoints.push_back(p.End);
                if (MeshUnfolded(startAll, endAll)) {
                    kept.push_back(p);
                } else {
                    startAll.FreePoints.pop_back();
                    endAll.FreePoints.pop_back();
                }
            }
            faces = std::move(kept);
        }
        startFinal = startAll, endFinal = endAll;
        result.FacePairs = std::move(faces);
        result.FacesLed = true;
    }

    // Pairs where the grid is too coarse to follow the flow it trusts.
    if (options.MostDetailPairs > 0) {
        if (!going(95)) return cancelled();
        const auto flowTarget = [&](double gx, double gy) -> std::optional<cv::Point2d> {
            const double x = start.ToWork(gx), y = start.ToWork(gy);
            const auto flow = TrustedFlow(start.Gray, forward, backward, x, y);
            if (!flow) return std::nullopt;
            const cv::Point2d q = toEnd(x + flow->x, y + flow->y);
            if (!insideEnd(q)) return std::nullopt;
            return cv::Point2d(end.FromWork(q.x), end.FromWork(q.y));
        };
        result.DetailPairs = AddDetailPairs(startFinal, endFinal, std::max(1.0, 0.75 / start.Scale),
                                            options.MostDetailPairs, flowTarget);
    }
    result.StartFreePoints = startFinal.FreePoints;
    result.FreePoints = endFinal.FreePoints;
    result.Outcome = FitOutcome::Fitted;
    result.Message =
        result.DetailPairs.empty()
            ? Tr("GridFit", "自動調整しました。")
            : Format(Tr("GridFit",
                        "自動調整しました。格子だけでは細部が合わない所に、点を %1 組加えました。"),
                     {std::to_string(result.DetailPairs.size())});
    going(100);
    return result;
}

}  // namespace

bool SimilarityOfPairs(const std::vector<FitReference>& pairs, Similarity& similarity) {
    if (pairs.size() < 2) return false;
    double sx = 0, sy = 0, ex = 0, ey = 0;
    for (const FitReference& p : pairs) sx += p.StartX, sy += p.StartY, ex += p.EndX, ey += p.EndY;
    const double count = static_cast<double>(pairs.size());
    sx /= count, sy /= count, ex /= count, ey /= count;
    double spread = 0, a = 0, b = 0;
    for (const FitReference& p : pairs) {
        const double x = p.StartX - sx, y = p.StartY - sy, u = p.EndX - ex, v = p.EndY - ey;
        spread += x * x + y * y;
        a += x * u + y * v;
        b += x * v - y * u;
    }
    if (!(spread > 1e-9) || !std::isfinite(spread)) return false;
    similarity.A = a / spread;
    similarity.B = b / spread;
    similarity.C = ex - (similarity.A * sx - similarity.B * sy);
    similarity.D = ey - (similarity.B * sx + similarity.A * sy);
    return std::isfinite(similarity.A) && std::isfinite(similarity.B) &&
           std::isfinite(similarity.C) && std::isfinite(similarity.D);
}

GridFitResult FitEndGrid(const QImage& startImage, const QImage& endImage,
                         const MatrixRecord& startGrid, const MatrixRecord& endGrid,
                         const GridFitOptions& options, const FitProgress& progress) {
    try {
        return Fit(startImage, endImage, startGrid, endGrid, options, progress);
    } catch (const std::exception&) {
        // OpenCV reports what it cannot do (memory, odd sizes) by throwing.
        return Failure(Tr("GridFit", "自動調整に失敗しました。"));
    }
}

}  // namespace fennix

namespace fennix {

bool FollowPairsWithGrid(const MatrixRecord& start, MatrixRecord& end,
                         const std::vector<FreePair>& pairs) {
    const int countI = end.Points.CountI(), countJ = end.Points.CountJ();
    if (pairs.empty() || end.Width < 2 || end.Height < 2 || countI < 3 || countJ < 3) return false;
    std::vector<cv::Point2d> places;
    for (const FreePair& pair : pairs) places.emplace_back(pair.Start.X, pair.Start.Y);
    const auto mapped = MapPlaces(start, end, places);
    std::vector<cv::Point2d> from, to;
    for (size_t k = 0; k < pairs.size(); ++k)
        if (mapped[k]) from.push_back(*mapped[k]), to.emplace_back(pairs[k].End.X, pairs[k].End.Y);
    if (from.empty()) return false;
    // What the user placed stays where it is.
    const auto hold = [&](const Point& p) {
        from.emplace_back(p.X, p.Y);
        to.emplace_back(p.X, p.Y);
    };
    for (const Point& p : end.FreePoints) hold(p);
    for (const Stroke& stroke : end.Strokes)
        for (const Point& p : stroke.Points) hold(p);
    const cv::Size size(end.Width + 1, end.Height + 1);
    AddBorderPins(size, size, from, to);
    PlateSpline spline;
    if (!spline.Fit(from, to, std::max(end.Width, end.Height))) return false;
    for (int j = 2; j < countJ; ++j)
        for (int i = 2; i < countI; ++i) {
            Point& p = end.Points(i, j);
            const cv::Point2d q = spline(p.X, p.Y);
            if (!std::isfinite(q.x) || !std::isfinite(q.y)) return false;
            p.X = static_cast<int32_t>(std::clamp(std::lround(q.x), 0L, long{end.Width}));
            p.Y = static_cast<int32_t>(std::clamp(std::lround(q.y), 0L, long{end.Height}));
        }
    return true;
}

namespace {

// The pairs a stroke of the two curves would place (skipping stroke `skip`
// of the records when it is placed anew).
std::vector<FreePair> StrokePairs(const MatrixRecord& start, const std::vector<Point>& startCurve,
                                  const std::vector<Point>& endCurve, bool closed, int skip = -1) {
    const StrokeSides sides = MakeStrokeSides(start, startCurve, endCurve, closed, skip);
    std::vector<FreePair> pairs;
    for (size_t k = 0; k < std::min(sides.Start.Points.size(), sides.End.Points.size()); ++k)
        pairs.push_back({sides.Start.Points[k], sides.End.Points[k]});
    return pairs;
}

// For a stroke that did not go in: the end grid follows the stroke's
// `pairs` over the mesh without stroke `skip` (the one placed anew, whose
// old points would hold the grid where the stroke no longer goes; none for
// −1), and `put(end)` puts the stroke into the records once more (empty
// text when it went in). True, and `end` with the moved grid, when it did.
template <typename Put>
bool PutMakingRoom(const MatrixRecord& start, MatrixRecord& end, int skip,
                   const std::vector<FreePair>& pairs, Put&& put) {
    MatrixRecord startWithout = start, endWithout = end;
    if (skip >= 0) RemoveStroke(startWithout, endWithout, skip);
    if (!FollowPairsWithGrid(startWithout, endWithout, pairs)) return false;
    MatrixRecord moved = end;
    moved.Points = endWithout.Points;
    if (!put(moved).empty()) return false;
    end = std::move(moved);
    return true;
}

}  // namespace

std::string AddStrokeMakingRoom(MatrixRecord& start, MatrixRecord& end,
                                const std::vector<Point>& startCurve,
                                const std::vector<Point>& endCurve, bool closed,
                                bool& gridMoved) {
    gridMoved = false;
    const std::string why = AddStroke(start, end, startCurve, endCurve, closed);
    if (why.empty()) return why;
    const auto put = [&](MatrixRecord& into) {
        return AddStroke(start, into, startCurve, endCurve, closed);
    };
    gridMoved =
        PutMakingRoom(start, end, -1, StrokePairs(start, startCurve, endCurve, closed), put);
    return gridMoved ? std::string() : why;
}

std::string RedrawStrokeMakingRoom(MatrixRecord& start, MatrixRecord& end, int n, int k,
                                   const std::vector<Point>& curve, bool& gridMoved) {
    gridMoved = false;
    const std::string why = RedrawStroke(start, end, n, k, curve);
    // No such stroke or side: nothing to make room for.
    if (why.empty() || n < 0 ||
        static_cast<size_t>(n) >= std::min(start.Strokes.size(), end.Strokes.size()) ||
        (k != 1 && k != 2))
        return why;
    const Stroke& old = start.Strokes[static_cast<size_t>(n)];
    const std::vector<Point>& startCurve = k == 1 ? curve : old.Curve;
    const std::vector<Point>& endCurve = k == 2 ? curve : end.Strokes[static_cast<size_t>(n)].Curve;
    const auto put = [&](MatrixRecord& into) { return RedrawStroke(start, into, n, k, curve); };
    gridMoved =
        PutMakingRoom(start, end, n, StrokePairs(start, startCurve, endCurve, old.Closed, n), put);
    return gridMoved ? std::string() : why;
}

}  // namespace fennix
