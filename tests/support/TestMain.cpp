// Test main of every test executable: a QApplication on the offscreen
// platform (set by ctest, defaulted here for direct runs), then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "media/ImageFile.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    fennix::ConfigureImageReading();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
