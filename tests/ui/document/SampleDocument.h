#pragma once

// What the document window tests start from.

#include <QDateTime>
#include <string>

#include "model/Settings.h"
#include "support/TestFolder.h"
#include "ui/document/Fennix_Main.h"

namespace fennix::test {

// The default grid, 9 frames, the preview off, temporary pictures in
// `tempFolder`.
inline void UseDocumentSettings(const std::string& tempFolder) {
    UseDefaultGridSettings();
    Settings.TempFolder = tempFolder;
    Settings.FrameCount = 9;
    Settings.PreviewShown = false;
}

// `window` at 1200 × 400 on the sun and moon samples, with the viewer
// answered at once and a fixed clock.
inline bool OpenSampleDocument(Fennix_Main& window) {
    window.resize(1200, 400);
    window.RunViewer = [] {};
    window.Clock = [] { return QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)); };
    return window.NewMorph(SamplePath("sun.bmp"), SamplePath("moon.bmp"));
}

}  // namespace fennix::test
