#pragma once

#include <QDialog>
#include <optional>

#include "media/AviWriter.h"

class QCheckBox;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace fennix {

// The compressor chooser of the AVI writer: the compressors the installed
// FFmpeg provides, with quality, key frame interval and data rate.
class CompressorWidget : public QDialog {
    Q_OBJECT
  public:
    explicit CompressorWidget(QWidget* owner);

    // The options as the controls show them.
    CompressorOptions Options() const;

    QListWidget* lstCompressor = nullptr;
    QSpinBox* txtQuality = nullptr;
    QCheckBox* chkKeyFrame = nullptr;
    QSpinBox* txtKeyFrame = nullptr;
    QCheckBox* chkDataRate = nullptr;
    QSpinBox* txtDataRate = nullptr;
    QPushButton* cmd_OK = nullptr;
    QPushButton* cmd_Can = nullptr;

  private:
    void UpdateControls();
    std::vector<Compressor> compressors_;
};

// Shows the chooser modally; the chosen options, or nothing when cancelled.
std::optional<CompressorOptions> ShowCompressorChooser(QWidget* owner);

}  // namespace fennix
