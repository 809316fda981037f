#pragma once

#include <QImage>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace fennix {

// The 68 landmarks of a face (jaw 0–16, brows 17–26, nose 27–35, eyes
// 36–47, mouth 48–67) as a small convolutional network finds them in a crop
// of the picture. The network is the 68-point model of the npm package
// @vladmandic/face-api (MIT): four dense blocks of 3 × 3 convolutions (the
// first plain, the others depthwise-separable, the first of each block with
// stride 2, TensorFlow "same" padding, ReLU), a 7 × 7 average pool and a
// fully connected layer to 68 (x, y) fractions of its 112 × 112 input. It
// is read from the package's manifest and uint8-quantised weights and run
// by OpenCV's dnn module, built layer by layer.

struct FacePoint {
    double X = 0, Y = 0;
};
using FaceShape = std::array<FacePoint, 68>;

// A box in picture pixels: X0, Y0 inclusive, X1, Y1 exclusive.
struct FaceBox {
    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    int Width() const { return X1 - X0; }
    int Height() const { return Y1 - Y0; }
};

struct FoundFace {
    FaceBox Box;       // the crop the landmarks were last found in
    FaceShape Points;  // in picture pixels
    double EyeDistance() const;
};

// The folder the model is looked for in: models/ beside the program.
std::string DefaultFaceModelFolder();

// The file names of the model in its folder.
inline constexpr const char* kFaceModelWeights = "face_landmark_68_model.bin";
inline constexpr const char* kFaceModelManifest = "face_landmark_68_model-weights_manifest.json";

class FaceLandmarker {
  public:
    FaceLandmarker();
    ~FaceLandmarker();
    FaceLandmarker(FaceLandmarker&&) noexcept;
    FaceLandmarker& operator=(FaceLandmarker&&) noexcept;

    // Reads the model from `folder`. False, with `message` (Japanese, for
    // the window and the command line) saying why, when its files are
    // missing or damaged. Never throws.
    bool Load(const std::string& folder, std::string& message);
    bool Loaded() const;

    // The landmarks the network gives for the crop `box` of `picture`: the
    // crop (RGB, zeros outside the picture) padded to a square with the crop
    // centred, resized to 112 × 112 (bilinear), minus the mean colour,
    // divided by 255. Empty when the model is not loaded or the box is empty.
    std::vector<FacePoint> OfCrop(const QImage& picture, const FaceBox& box) const;

    // The faces in `picture`, largest first: boxes from OpenCV's frontal
    // face cascade in `cascadeFolder`, widened, then re-cropped around
    // their landmarks twice. A box whose landmarks do not hold still under
    // the re-crop or do not have a face's shape is no face and is left out.
    std::vector<FoundFace> Find(const QImage& picture, const std::string& cascadeFolder =
                                                           "/usr/share/opencv4/haarcascades") const;

    // Follows a first box to a face: re-crops around its landmarks and
    // checks them. False when the box shows no face.
    bool Follow(const QImage& picture, const FaceBox& first, FoundFace& face) const;

  private:
    struct Network;
    std::unique_ptr<Network> net_;
};

// The crop around a set of landmarks that the network is fed next: a
// square of 1.5 times their larger extent, centred a little above their
// middle (the brows lie below the forehead the crops include).
FaceBox CropAroundLandmarks(const std::vector<FacePoint>& points);

// How far a landmark set is from a face's shape: the mean distance to the
// mean face after the best similarity, in eye distances.
double ShapeDistance(const std::vector<FacePoint>& points);

}  // namespace fennix
