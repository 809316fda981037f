#include "engine/FaceLandmarks.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>

#include <opencv2/core.hpp>
#include <opencv2/dnn.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include "core/AppFolder.h"
#include "core/Translation.h"

namespace fennix {

namespace {

constexpr int kInputSide = 112;
constexpr double kMeanRgb[3] = {122.782, 117.001, 104.298};

// A typical face's landmarks (a frontal portrait, in pixels): the shape
// found landmarks are compared with.
constexpr double kTypicalFace[68][2] = {
    {171.04, 95.79},  {171.77, 109.08}, {173.90, 122.20}, {175.98, 133.19}, {180.11, 146.21},
    {187.37, 155.58}, {195.84, 163.31}, {206.41, 172.48}, {222.39, 177.84}, {238.56, 173.68},
    {248.03, 165.71}, {256.67, 159.42}, {263.73, 148.94}, {269.48, 136.67}, {272.13, 125.08},
    {274.02, 112.81}, {275.11, 99.66},  {184.25, 86.35},  {190.78, 82.44},  {198.74, 81.19},
    {205.70, 82.14},  {212.20, 84.78},  {237.97, 85.80},  {244.58, 83.81},  {251.81, 83.10},
    {259.45, 84.53},  {265.41, 88.76},  {224.41, 101.59}, {224.35, 111.26}, {224.50, 119.42},
    {223.69, 127.03}, {214.62, 129.70}, {218.41, 131.49}, {223.62, 132.87}, {228.45, 131.24},
    {232.55, 130.15}, {194.51, 97.94},  {199.22, 96.37},  {205.64, 96.46},  {210.98, 99.80},
    {206.29, 101.82}, {199.27, 100.83}, {237.51, 100.61}, {243.65, 97.58},  {250.64, 97.93},
    {254.81, 100.06}, {250.29, 102.80}, {243.23, 102.31}, {201.07, 141.08}, {208.99, 139.66},
    {218.41, 139.30}, {222.98, 139.96}, {227.67, 138.79}, {237.25, 140.67}, {244.47, 142.08},
    {236.01, 149.77}, {229.68, 153.83}, {222.33, 154.87}, {216.07, 153.74}, {208.89, 149.86},
    {202.28, 141.47}, {216.03, 142.52}, {222.84, 143.10}, {229.31, 142.98}, {242.47, 142.03},
    {229.28, 148.28}, {222.84, 148.77}, {216.73, 147.96}};

FacePoint EyeCentre(const std::vector<FacePoint>& p, int first) {
    FacePoint c;
    for (int k = first; k < first + 6; ++k)
        c.X += p[static_cast<size_t>(k)].X / 6, c.Y += p[static_cast<size_t>(k)].Y / 6;
    return c;
}

double EyeDistanceOf(const std::vector<FacePoint>& p) {
    const FacePoint l = EyeCentre(p, 36), r = EyeCentre(p, 42);
    return std::hypot(r.X - l.X, r.Y - l.Y);
}

// The weights of one tensor: its shape and values, dequantised.
struct Tensor {
    std::vector<int> Shape;
    std::vector<float> Values;
};

// Reads the manifest and the weights file into named tensors. Empty text
// on success, otherwise why not (English, for the message's tail).
std::string ReadWeights(const std::string& folder,
                        std::vector<std::pair<std::string, Tensor>>& out) {
    namespace fs = std::filesystem;
    QFile manifestFile(QString::fromStdString((fs::path(folder) / kFaceModelManifest).string()));
    QFile weightsFile(QString::fromStdString((fs::path(folder) / kFaceModelWeights).string()));
    if (!manifestFile.open(QIODevice::ReadOnly) || !weightsFile.open(QIODevice::ReadOnly))
        return "missing";
    if (manifestFile.size() > (1 << 20) || weightsFile.size() > (16 << 20)) return "too large";
    const QByteArray manifestBytes = manifestFile.readAll();
    const QByteArray weights = weightsFile.readAll();
    QJsonParseError error;
    const QJsonDocument manifest = QJsonDocument::fromJson(manifestBytes, &error);
    if (error.error != QJsonParseError::NoError || !manifest.isArray()) return "manifest";
    qsizetype offset = 0;
    for (const QJsonValue group : manifest.array()) {
        for (const QJsonValue entry : group.toObject().value("weights").toArray()) {
            const QJsonObject w = entry.toObject();
            Tensor t;
            qint64 count = 1;
            for (const QJsonValue d : w.value("shape").toArray()) {
                const int v = d.toInt(-1);
                if (v < 1 || v > 4096) return "shape";
                t.Shape.push_back(v);
                count *= v;
            }
            const QJsonObject q = w.value("quantization").toObject();
            if (w.value("dtype").toString() != "float32" || q.value("dtype").toString() != "uint8")
                return "type";
            const double scale = q.value("scale").toDouble(), minimum = q.value("min").toDouble();
            if (count > weights.size() - offset) return "short";
            t.Values.resize(static_cast<size_t>(count));
            const auto* bytes =
                reinterpret_cast<const unsigned char*>(weights.constData() + offset);
            for (qint64 k = 0; k < count; ++k)
                t.Values[static_cast<size_t>(k)] = static_cast<float>(bytes[k] * scale + minimum);
            offset += count;
            out.emplace_back(w.value("name").toString().toStdString(), std::move(t));
        }
    }
    if (offset != weights.size()) return "size";
    return {};
}

}  // namespace

struct FaceLandmarker::Network {
    cv::dnn::Net Net;
};

FaceLandmarker::FaceLandmarker() = default;
FaceLandmarker::~FaceLandmarker() = default;
FaceLandmarker::FaceLandmarker(FaceLandmarker&&) noexcept = default;
FaceLandmarker& FaceLandmarker::operator=(FaceLandmarker&&) noexcept = default;

bool FaceLandmarker::Loaded() const {
    return net_ != nullptr;
}

double FoundFace::EyeDistance() const {
    return EyeDistanceOf(std::vector<FacePoint>(Points.begin(), Points.end()));
}

std::string DefaultFaceModelFolder() {
    const std::string folder = ExecutableFolder();
    return folder.empty() ? std::string("models") : folder + "/models";
}

bool FaceLandmarker::Load(const std::string& folder, std::string& message) {
    net_.reset();
    std::vector<std::pair<std::string, Tensor>> tensors;
    const std::string why = ReadWeights(folder, tensors);
    if (why == "missing") {
        message = Tr("FaceLandmarks", "顔の特徴点のモデルがないため、顔は使いません。");
        return false;
    }
    const auto find = [&tensors](const std::string& name, std::vector<int> shape) -> const Tensor* {
        for (const auto& [n, t] : tensors)
            if (n == name) return t.Shape == shape ? &t : nullptr;
        return nullptr;
    };
    const auto damaged = [&message] {
        message = Tr("FaceLandmarks", "顔の特徴点のモデルが壊れているため、顔は使いません。");
        return false;
    };
    if (!why.empty()) return damaged();

    try {
        auto network = std::make_unique<Network>();
        cv::dnn::Net& net = network->Net;
        net.setInputsNames({"input"});
        // TensorFlow keeps filters as [kh, kw, in, out]; dnn as [out, in, kh, kw].
        const auto filters = [](const Tensor& t, bool depthwise) {
            const int kh = t.Shape[0], kw = t.Shape[1], in = t.Shape[2], out = t.Shape[3];
            const int outs = depthwise ? in : out, ins = depthwise ? 1 : in;
            cv::Mat m({outs, ins, kh, kw}, CV_32F);
            float* dst = m.ptr<float>();
            for (int o = 0; o < outs; ++o)
                for (int i = 0; i < ins; ++i)
                    for (int y = 0; y < kh; ++y)
                        for (int x = 0; x < kw; ++x) {
                            const size_t from =
                                depthwise ? (static_cast<size_t>(y) * kw + x) * in + o
                                          : ((static_cast<size_t>(y) * kw + x) * in + i) * out + o;
                            *dst++ = t.Values[from];
                        }
            return m;
        };
        const auto row = [](const Tensor& t) {
            return cv::Mat(1, static_cast<int>(t.Values.size()), CV_32F,
                           const_cast<float*>(t.Values.data()))
                .clone();
        };
        const auto layer = [&net](const std::string& name, const std::string& type,
                                  cv::dnn::LayerParams& params, std::vector<int> inputs) {
            params.name = name;
            params.type = type;
            const int id = net.addLayer(name, type, params);
            for (size_t k = 0; k < inputs.size(); ++k)
                net.connect(inputs[k], 0, id, static_cast<int>(k));
            return id;
        };
        const auto conv = [&](const std::string& name, int input, const cv::Mat& weights,
                              const cv::Mat* bias, int stride, int group) {
            cv::dnn::LayerParams p;
            p.set("kernel_h", weights.size[2]);
            p.set("kernel_w", weights.size[3]);
            p.set("stride_h", stride);
            p.set("stride_w", stride);
            p.set("pad_mode", "SAME");
            p.set("num_output", weights.size[0]);
            p.set("group", group);
            p.set("bias_term", bias != nullptr);
            p.blobs.push_back(weights);
            if (bias) p.blobs.push_back(*bias);
            return layer(name, "Convolution", p, {input});
        };
        const auto relu = [&](const std::string& name, int input) {
            cv::dnn::LayerParams p;
            return layer(name, "ReLU", p, {input});
        };
        const auto sum = [&](const std::string& name, std::vector<int> inputs) {
            cv::dnn::LayerParams p;
            p.set("operation", "sum");
            return layer(name, "Eltwise", p, inputs);
        };
        bool complete = true;
        // A depthwise 3 × 3 convolution (no bias), a pointwise one, the bias.
        const auto separable = [&](const std::string& name, int input, int in, int out,
                                   int stride) {
            const Tensor* depth = find(name + "/depthwise_filter", {3, 3, in, 1});
            const Tensor* point = find(name + "/pointwise_filter", {1, 1, in, out});
            const Tensor* bias = find(name + "/bias", {out});
            if (!depth || !point || !bias) {
                complete = false;
                return input;
            }
            const int d =
                conv(name + "/depthwise", input, filters(*depth, true), nullptr, stride, in);
            const cv::Mat b = row(*bias);
            return conv(name + "/pointwise", d, filters(*point, false), &b, 1, 1);
        };
        int x = 0;  // the input layer
        int channels = 3;
        const int widths[4] = {32, 64, 128, 256};
        for (int block = 0; block < 4; ++block) {
            const std::string name = "dense" + std::to_string(block);
            const int out = widths[block];
            int first;
            if (block == 0) {
                const Tensor* f = find(name + "/conv0/filters", {3, 3, channels, out});
                const Tensor* b = find(name + "/conv0/bias", {out});
                if (!f || !b) return damaged();
                const cv::Mat bias = row(*b);
                first = conv(name + "/conv0", x, filters(*f, false), &bias, 2, 1);
            } else {
                first = separable(name + "/conv0", x, channels, out, 2);
            }
            // Each layer takes the sum of all the block's outputs before it.
            const int out1 = relu(name + "/relu0", first);
            const int out2 = separable(name + "/conv1", out1, out, out, 1);
            const int in3 = relu(name + "/relu1", sum(name + "/sum1", {out1, out2}));
            const int out3 = separable(name + "/conv2", in3, out, out, 1);
            const int in4 = relu(name + "/relu2", sum(name + "/sum2", {out1, out2, out3}));
            const int out4 = separable(name + "/conv3", in4, out, out, 1);
            x = relu(name + "/relu3", sum(name + "/sum3", {out1, out2, out3, out4}));
            channels = out;
        }
        if (!complete) return damaged();
        {
            cv::dnn::LayerParams p;
            p.set("pool", "ave");
            p.set("kernel_h", 7);
            p.set("kernel_w", 7);
            p.set("stride_h", 2);
            p.set("stride_w", 2);
            x = layer("pool", "Pooling", p, {x});
        }
        const Tensor* fw = find("fc/weights", {256, 136});
        const Tensor* fb = find("fc/bias", {136});
        if (!fw || !fb) return damaged();
        {
            cv::Mat weights(136, 256, CV_32F);
            for (int o = 0; o < 136; ++o)
                for (int i = 0; i < 256; ++i)
                    weights.at<float>(o, i) = fw->Values[static_cast<size_t>(i) * 136 + o];
            cv::dnn::LayerParams p;
            p.set("num_output", 136);
            p.set("bias_term", true);
            p.set("axis", 1);
            p.blobs.push_back(weights);
            p.blobs.push_back(row(*fb));
            layer("fc", "InnerProduct", p, {x});
        }
        net.setPreferableBackend(cv::dnn::DNN_BACKEND_OPENCV);
        net.setPreferableTarget(cv::dnn::DNN_TARGET_CPU);
        net_ = std::move(network);
        // One pass now, so a model dnn cannot run is found here.
        const QImage probe(kInputSide, kInputSide, QImage::Format_RGB32);
        if (OfCrop(probe, {0, 0, kInputSide, kInputSide}).size() != 68) {
            net_.reset();
            return damaged();
        }
    } catch (const std::exception&) {
        net_.reset();
        return damaged();
    }
    message.clear();
    return true;
}

std::vector<FacePoint> FaceLandmarker::OfCrop(const QImage& picture, const FaceBox& box) const {
    if (!net_ || box.Width() < 1 || box.Height() < 1 || picture.isNull()) return {};
    const QImage rgb =
        picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
            ? picture
            : picture.convertToFormat(QImage::Format_RGB32);
    // The crop padded to a square, the crop centred; zeros outside the picture.
    const int side = std::max(box.Width(), box.Height());
    const int padX = (side - box.Width()) / 2, padY = (side - box.Height()) / 2;
    cv::Mat square(side, side, CV_32FC3, cv::Scalar(0, 0, 0));
    for (int y = 0; y < box.Height(); ++y) {
        const int py = box.Y0 + y;
        if (py < 0 || py >= rgb.height()) continue;
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(py));
        auto* out = square.ptr<cv::Vec3f>(padY + y);
        for (int x = 0; x < box.Width(); ++x) {
            const int px = box.X0 + x;
            if (px < 0 || px >= rgb.width()) continue;
            const QRgb c = line[px];
            out[padX + x] = {static_cast<float>(qRed(c)), static_cast<float>(qGreen(c)),
                             static_cast<float>(qBlue(c))};
        }
    }
    cv::Mat input;
    cv::resize(square, input, cv::Size(kInputSide, kInputSide), 0, 0, cv::INTER_LINEAR);
    input -= cv::Scalar(kMeanRgb[0], kMeanRgb[1], kMeanRgb[2]);
    input /= 255.0;
    try {
        const cv::Mat blob = cv::dnn::blobFromImage(input);  // HWC to NCHW, as it is
        net_->Net.setInput(blob, "input");
        const cv::Mat out = net_->Net.forward().reshape(1, 1);
        if (out.total() != 136) return {};
        std::vector<FacePoint> points(68);
        for (int k = 0; k < 68; ++k) {
            points[static_cast<size_t>(k)] = {out.at<float>(0, 2 * k) * side - padX + box.X0,
                                              out.at<float>(0, 2 * k + 1) * side - padY + box.Y0};
            if (!std::isfinite(points[static_cast<size_t>(k)].X) ||
                !std::isfinite(points[static_cast<size_t>(k)].Y))
                return {};
        }
        return points;
    } catch (const std::exception&) {
        return {};
    }
}

FaceBox CropAroundLandmarks(const std::vector<FacePoint>& points) {
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const FacePoint& p : points)
        x0 = std::min(x0, p.X), y0 = std::min(y0, p.Y), x1 = std::max(x1, p.X),
        y1 = std::max(y1, p.Y);
    if (points.empty()) return {};
    const double side = 1.5 * std::max(x1 - x0, y1 - y0);
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2 - 0.1 * (y1 - y0);
    const int s = std::max(8, static_cast<int>(std::lround(side)));
    const int left = static_cast<int>(std::lround(cx - s / 2.0));
    const int top = static_cast<int>(std::lround(cy - s / 2.0));
    return {left, top, left + s, top + s};
}

double ShapeDistance(const std::vector<FacePoint>& points) {
    if (points.size() != 68) return 1e300;
    // The similarity taking the typical face onto the points (least squares).
    double mx = 0, my = 0, tx = 0, ty = 0;
    for (int k = 0; k < 68; ++k) {
        mx += points[static_cast<size_t>(k)].X / 68, my += points[static_cast<size_t>(k)].Y / 68;
        tx += kTypicalFace[k][0] / 68, ty += kTypicalFace[k][1] / 68;
    }
    double spread = 0, a = 0, b = 0;
    for (int k = 0; k < 68; ++k) {
        const double x = kTypicalFace[k][0] - tx, y = kTypicalFace[k][1] - ty;
        const double u = points[static_cast<size_t>(k)].X - mx,
                     v = points[static_cast<size_t>(k)].Y - my;
        spread += x * x + y * y;
        a += x * u + y * v;
        b += x * v - y * u;
    }
    a /= spread, b /= spread;
    double distance = 0;
    for (int k = 0; k < 68; ++k) {
        const double x = kTypicalFace[k][0] - tx, y = kTypicalFace[k][1] - ty;
        const double u = a * x - b * y + mx, v = b * x + a * y + my;
        distance +=
            std::hypot(u - points[static_cast<size_t>(k)].X, v - points[static_cast<size_t>(k)].Y) /
            68;
    }
    const double eyes = EyeDistanceOf(points);
    return eyes > 1e-9 ? distance / eyes : 1e300;
}

bool FaceLandmarker::Follow(const QImage& picture, const FaceBox& first, FoundFace& face) const {
    std::vector<FacePoint> points = OfCrop(picture, first);
    if (points.size() != 68) return false;
    FaceBox box = first;
    double moved = 0;
    for (int round = 0; round < 2; ++round) {
        const FaceBox next = CropAroundLandmarks(points);
        std::vector<FacePoint> again = OfCrop(picture, next);
        if (again.size() != 68) return false;
        moved = 0;
        for (size_t k = 0; k < 68; ++k)
            moved += std::hypot(again[k].X - points[k].X, again[k].Y - points[k].Y) / 68;
        points = std::move(again);
        box = next;
    }
    const double eyes = EyeDistanceOf(points);
    // A face: eyes apart by a fair share of the crop, landmarks that hold
    // still under the last re-crop and a face's shape.
    if (!(eyes > 0.15 * box.Width()) || moved > 0.08 * eyes || ShapeDistance(points) > 0.25)
        return false;
    face.Box = box;
    std::copy(points.begin(), points.end(), face.Points.begin());
    return true;
}

std::vector<FoundFace> FaceLandmarker::Find(const QImage& picture,
                                            const std::string& cascadeFolder) const {
    std::vector<FoundFace> faces;
    if (!net_ || picture.isNull() || cascadeFolder.empty()) return faces;
    try {
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path path = fs::path(cascadeFolder) / "haarcascade_frontalface_default.xml";
        cv::CascadeClassifier cascade;
        if (!fs::is_regular_file(path, error) || !cascade.load(path.string()) || cascade.empty())
            return faces;
        const QImage gray8 = picture.convertToFormat(QImage::Format_Grayscale8);
        const cv::Mat gray(gray8.height(), gray8.width(), CV_8UC1,
                           const_cast<uchar*>(gray8.constBits()),
                           static_cast<size_t>(gray8.bytesPerLine()));
        const double shrink = std::min(1.0, 640.0 / std::max(gray.cols, gray.rows));
        cv::Mat small;
        cv::resize(gray, small, cv::Size(), shrink, shrink, cv::INTER_AREA);
        cv::equalizeHist(small, small);
        std::vector<cv::Rect> found;
        const int least = std::max(20, std::min(small.cols, small.rows) / 16);
        cascade.detectMultiScale(small, found, 1.1, 4, 0, cv::Size(least, least));
        for (const cv::Rect& r : found) {
            // The cascade's box is tight around the eyes and mouth: widen it
            // by about 15 % so the jaw and brows are inside.
            const double w = r.width / shrink, h = r.height / shrink;
            const double cx = (r.x + r.width / 2.0) / shrink, cy = (r.y + r.height / 2.0) / shrink;
            const double side = 1.15 * std::max(w, h);
            const int left = static_cast<int>(std::lround(cx - side / 2));
            const int top = static_cast<int>(std::lround(cy - side / 2));
            const int s = static_cast<int>(std::lround(side));
            FoundFace face;
            if (!Follow(picture, {left, top, left + s, top + s}, face)) continue;
            // Overlapping boxes of one face: keep the first.
            const bool seen = std::any_of(faces.begin(), faces.end(), [&face](const FoundFace& f) {
                const FacePoint a = f.Points[30], b = face.Points[30];
                return std::hypot(a.X - b.X, a.Y - b.Y) < 0.5 * f.EyeDistance();
            });
            if (!seen) faces.push_back(face);
        }
        std::sort(faces.begin(), faces.end(), [](const FoundFace& a, const FoundFace& b) {
            return a.EyeDistance() > b.EyeDistance();
        });
    } catch (const std::exception&) {
        faces.clear();
    }
    return faces;
}

}  // namespace fennix
