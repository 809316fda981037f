#pragma once

// A picture and a copy of it warped by a known smooth field (and a
// similarity), with changed colours and noise: a pair whose true
// correspondence is known at every place, for checking the grid fit.

#include <QImage>
#include <QString>
#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <string>

namespace fennix::test {

// The photos of Debian's opencv-doc package.
inline std::string PhotoPath(const std::string& name) {
    return "/usr/share/doc/opencv-doc/examples/data/" + name;
}

// The photo `name` scaled to `width` pixels across (its shape kept), as
// RGB32; null when it cannot be read.
inline QImage Photo(const std::string& name, int width) {
    QImage image(QString::fromStdString(PhotoPath(name)));
    if (image.isNull()) return image;
    return image.scaledToWidth(width, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

struct WarpRecipe {
    double Amplitude = 6;  // pixels of the smooth field
    double Waves = 1.5;    // periods of the field across the picture
    double Scale = 1;      // the similarity, applied about the picture's middle
    double Degrees = 0;
    double ShiftX = 0, ShiftY = 0;
    double Gain[3] = {0.85, 1.1, 0.95};  // colour change, blue, green, red
    double Offset = 12;
    double Noise = 4;  // standard deviation of the added noise
};

// The true correspondence: the end place of start place (x, y). The end
// picture shows at q the start picture at Back(q) = u + d(u) with
// u = S⁻¹(q), S the similarity and d the field; Forward inverts that.
class WarpTruth {
  public:
    WarpTruth(const WarpRecipe& recipe, int width, int height)
        : r_(recipe), w_(width), h_(height) {}

    // d(u): a smooth field of two crossed waves.
    void Field(double x, double y, double& dx, double& dy) const {
        const double k = 2 * M_PI * r_.Waves;
        dx = r_.Amplitude * std::sin(k * x / w_ + 0.3) * std::cos(k * y / h_ * 0.8);
        dy = r_.Amplitude * std::cos(k * x / w_ * 0.7 + 1.1) * std::sin(k * y / h_ + 0.5);
    }
    void Back(double qx, double qy, double& px, double& py) const {
        double ux, uy;
        Unsimilar(qx, qy, ux, uy);
        double dx, dy;
        Field(ux, uy, dx, dy);
        px = ux + dx;
        py = uy + dy;
    }
    void Forward(double px, double py, double& qx, double& qy) const {
        double ux = px, uy = py;
        for (int k = 0; k < 100; ++k) {
            double dx, dy;
            Field(ux, uy, dx, dy);
            ux = px - dx;
            uy = py - dy;
        }
        Similar(ux, uy, qx, qy);
    }

  private:
    void Similar(double x, double y, double& qx, double& qy) const {
        const double a = r_.Degrees * M_PI / 180, cx = w_ / 2.0, cy = h_ / 2.0;
        const double c = r_.Scale * std::cos(a), s = r_.Scale * std::sin(a);
        qx = c * (x - cx) - s * (y - cy) + cx + r_.ShiftX;
        qy = s * (x - cx) + c * (y - cy) + cy + r_.ShiftY;
    }
    void Unsimilar(double qx, double qy, double& x, double& y) const {
        const double a = r_.Degrees * M_PI / 180, cx = w_ / 2.0, cy = h_ / 2.0;
        const double c = std::cos(a) / r_.Scale, s = std::sin(a) / r_.Scale;
        const double ox = qx - cx - r_.ShiftX, oy = qy - cy - r_.ShiftY;
        x = c * ox + s * oy + cx;
        y = -s * ox + c * oy + cy;
    }

    WarpRecipe r_;
    int w_, h_;
};

// The end picture of `recipe` for `start` (RGB32), the same size.
inline QImage WarpedPicture(const QImage& start, const WarpRecipe& recipe, uint64_t seed = 1) {
    const int w = start.width(), h = start.height();
    const WarpTruth truth(recipe, w, h);
    cv::Mat mapX(h, w, CV_32F), mapY(h, w, CV_32F);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double px, py;
            truth.Back(x, y, px, py);
            mapX.at<float>(y, x) = static_cast<float>(px);
            mapY.at<float>(y, x) = static_cast<float>(py);
        }
    const cv::Mat in(h, w, CV_8UC4, const_cast<uchar*>(start.constBits()),
                     static_cast<size_t>(start.bytesPerLine()));
    cv::Mat warped;
    cv::remap(in, warped, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_REFLECT);
    cv::Mat colour;
    warped.convertTo(colour, CV_32FC4);
    cv::Mat noise(h, w, CV_32FC4);
    cv::RNG rng(seed);
    rng.fill(noise, cv::RNG::NORMAL, 0, recipe.Noise);
    colour = colour.mul(cv::Scalar(recipe.Gain[0], recipe.Gain[1], recipe.Gain[2], 1)) +
             cv::Scalar(recipe.Offset, recipe.Offset, recipe.Offset, 0) + noise;
    QImage end(w, h, QImage::Format_RGB32);
    cv::Mat out(h, w, CV_8UC4, end.bits(), static_cast<size_t>(end.bytesPerLine()));
    colour.convertTo(out, CV_8UC4);
    for (int y = 0; y < h; ++y)  // opaque, whatever the noise did to alpha
        for (int x = 0; x < w; ++x) out.at<cv::Vec4b>(y, x)[3] = 255;
    return end;
}

}  // namespace fennix::test
