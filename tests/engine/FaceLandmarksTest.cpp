#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTransform>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/FaceLandmarks.h"
#include "support/TestFolder.h"
#include "support/WarpedPair.h"

namespace fennix {
namespace {

// scikit-image's astronaut.png (python3-skimage), 512 × 512.
const char* const kAstronaut = "/usr/lib/python3/dist-packages/skimage/data/astronaut.png";
const char* const kSkimageData = "/usr/lib/python3/dist-packages/skimage/data/";

// The landmarks the model gives for the crop (150, 40)–(290, 200) of
// astronaut.png, in picture pixels, as computed with TensorFlow.
constexpr double kAstronautLandmarks[68][2] = {
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

FaceLandmarker& Model() {
    static FaceLandmarker model = [] {
        FaceLandmarker m;
        std::string message;
        m.Load(DefaultFaceModelFolder(), message);
        return m;
    }();
    return model;
}

QImage Astronaut() {
    return QImage(kAstronaut).convertToFormat(QImage::Format_RGB32);
}

TEST(FaceLandmarks, ModelShipsBesideTheProgram) {
    ASSERT_TRUE(Model().Loaded())
        << "run scripts/install-deps.sh and build: models/ beside the tests";
}

TEST(FaceLandmarks, ForwardPassReproducesTheReferenceLandmarks) {
    ASSERT_TRUE(Model().Loaded());
    const QImage picture = Astronaut();
    ASSERT_FALSE(picture.isNull())
        << "python3-skimage (scripts/install-deps.sh) ships " << kAstronaut;
    const std::vector<FacePoint> points = Model().OfCrop(picture, {150, 40, 290, 200});
    ASSERT_EQ(points.size(), 68u);
    double worst = 0;
    for (int k = 0; k < 68; ++k) {
        EXPECT_NEAR(points[k].X, kAstronautLandmarks[k][0], 0.1) << "landmark " << k;
        EXPECT_NEAR(points[k].Y, kAstronautLandmarks[k][1], 0.1) << "landmark " << k;
        worst = std::max({worst, std::abs(points[k].X - kAstronautLandmarks[k][0]),
                          std::abs(points[k].Y - kAstronautLandmarks[k][1])});
    }
    RecordProperty("worst_px", std::to_string(worst));
}

struct PictureCase {
    const char* name;
    std::string path;
    int faces;  // at least this many; 0: none at all
};

class FacesInPictures : public ::testing::TestWithParam<PictureCase> {};

TEST_P(FacesInPictures, FindsFacesOnlyWhereThereAreSome) {
    ASSERT_TRUE(Model().Loaded());
    const PictureCase& c = GetParam();
    const QImage picture =
        QImage(QString::fromStdString(c.path)).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull()) << c.path;
    const auto faces = Model().Find(picture);
    if (c.faces == 0) {
        EXPECT_TRUE(faces.empty()) << faces.size() << " faces in " << c.path;
        return;
    }
    ASSERT_GE(static_cast<int>(faces.size()), c.faces) << c.path;
    for (size_t n = 1; n < faces.size(); ++n)
        EXPECT_GE(faces[n - 1].EyeDistance(), faces[n].EyeDistance()) << "largest first";
    for (const FacePoint& p : faces[0].Points) {
        EXPECT_GE(p.X, -0.5 * faces[0].Box.Width());
        EXPECT_LE(p.X, picture.width() + 0.5 * faces[0].Box.Width());
    }
    EXPECT_LT(ShapeDistance({faces[0].Points.begin(), faces[0].Points.end()}), 0.25);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FacesInPictures,
    ::testing::Values(PictureCase{"astronaut", kAstronaut, 1},
                      PictureCase{"messi", test::PhotoPath("messi5.jpg"), 1},
                      PictureCase{"cat", std::string(kSkimageData) + "chelsea.png", 0},
                      PictureCase{"coffee", std::string(kSkimageData) + "coffee.png", 0},
                      PictureCase{"rocket", std::string(kSkimageData) + "rocket.jpg", 0},
                      PictureCase{"aloe", test::PhotoPath("aloeL.jpg"), 0},
                      PictureCase{"building", test::PhotoPath("building.jpg"), 0},
                      PictureCase{"fruits", test::PhotoPath("fruits.jpg"), 0},
                      PictureCase{"baboon", test::PhotoPath("baboon.jpg"), 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Boxes that are no face (patches of pictures without one, cut as a
// cascade would hand them over) give no landmarks.
TEST(FaceLandmarks, BoxesWithoutAFaceGiveNoLandmarks) {
    ASSERT_TRUE(Model().Loaded());
    const std::string pictures[] = {std::string(kSkimageData) + "chelsea.png",
                                    std::string(kSkimageData) + "coffee.png",
                                    test::PhotoPath("aloeL.jpg"),
                                    test::PhotoPath("building.jpg"),
                                    test::PhotoPath("fruits.jpg"),
                                    test::PhotoPath("baboon.jpg")};
    int tried = 0, taken = 0;
    for (const std::string& path : pictures) {
        const QImage picture =
            QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(picture.isNull()) << path;
        for (int side : {picture.width() / 3}) {
            for (int y = 0; y + side <= picture.height(); y += side / 2) {
                for (int x = 0; x + side <= picture.width(); x += side / 2) {
                    FoundFace face;
                    ++tried;
                    if (Model().Follow(picture, {x, y, x + side, y + side}, face)) {
                        ++taken;
                        ADD_FAILURE()
                            << "a face in " << path << " at " << x << "," << y << " side " << side;
                    }
                }
            }
        }
    }
    EXPECT_GT(tried, 50);
    EXPECT_EQ(taken, 0);
}

// Boxes jittered around the astronaut's face (±7 % shift, −14 … +17 %
// size): after the re-crops the landmarks move on average by less than
// 6 % of the eye distance.
TEST(FaceLandmarks, ReCropsSteadyTheLandmarksAgainstJitter) {
    ASSERT_TRUE(Model().Loaded());
    const QImage picture = Astronaut();
    FoundFace reference;
    ASSERT_TRUE(Model().Follow(picture, {150, 40, 290, 200}, reference));
    const double eyes = reference.EyeDistance();
    for (int dx : {-10, 0, 10})
        for (int dy : {-10, 0, 10})
            for (int grow : {-10, 0, 12}) {
                FoundFace face;
                ASSERT_TRUE(Model().Follow(
                    picture, {150 + dx - grow, 40 + dy - grow, 290 + dx + grow, 200 + dy + grow},
                    face))
                    << dx << "," << dy << "," << grow;
                double moved = 0;
                for (size_t k = 0; k < 68; ++k)
                    moved += std::hypot(face.Points[k].X - reference.Points[k].X,
                                        face.Points[k].Y - reference.Points[k].Y) /
                             68;
                EXPECT_LT(moved, 0.06 * eyes) << dx << "," << dy << "," << grow;
            }
}

TEST(FaceLandmarks, MissingOrDamagedModelSaysSoAndFindsNothing) {
    const test::TestFolder temporary;
    const std::string folder = temporary.Path();
    FaceLandmarker model;
    std::string message;
    EXPECT_FALSE(model.Load(folder, message));
    EXPECT_NE(message.find("モデルがない"), std::string::npos) << message;
    EXPECT_TRUE(model.Find(Astronaut()).empty());
    EXPECT_TRUE(model.OfCrop(Astronaut(), {150, 40, 290, 200}).empty());
    // A weights file cut short, a manifest that is not JSON.
    const std::string source = DefaultFaceModelFolder();
    struct Damage {
        const char* name;
        std::string manifest;
        qint64 weights;
    };
    QFile original(QString::fromStdString(source + "/" + kFaceModelManifest));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const std::string manifest = original.readAll().toStdString();
    for (const Damage& d : {Damage{"short", manifest, 1000}, Damage{"not json", "{[", -1},
                            Damage{"wrong shape",
                                   [&] {
                                       std::string m = manifest;
                                       m.replace(m.find("[3,3,3,32]"), 10, "[3,3,3,31]");
                                       return m;
                                   }(),
                                   -1}}) {
        std::filesystem::copy_file(source + "/" + kFaceModelWeights,
                                   folder + "/" + kFaceModelWeights,
                                   std::filesystem::copy_options::overwrite_existing);
        if (d.weights >= 0)
            std::filesystem::resize_file(folder + "/" + kFaceModelWeights,
                                         static_cast<uintmax_t>(d.weights));
        QFile out(QString::fromStdString(folder + "/" + kFaceModelManifest));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(d.manifest.data(), static_cast<qint64>(d.manifest.size()));
        out.close();
        EXPECT_FALSE(model.Load(folder, message)) << d.name;
        EXPECT_NE(message.find("壊れて"), std::string::npos) << d.name << ": " << message;
        EXPECT_FALSE(model.Loaded()) << d.name;
    }
}

}  // namespace
}  // namespace fennix
