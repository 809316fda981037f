#include "ui/output/CompressorWidget.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include "core/Translation.h"
#include "ui/controls/GFXFrameX.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/clsShadow.h"

namespace fennix {

CompressorWidget::CompressorWidget(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QString::fromUtf8(Tr("CompressorWidget", "ビデオの圧縮")));
    setFixedSize(360, 298);
    compressors_ = AvailableCompressors();

    auto* caption = new QLabel(QString::fromUtf8(Tr("CompressorWidget", "圧縮プログラム:")), this);
    caption->setGeometry(12, 10, 200, 20);
    lstCompressor = new QListWidget(this);
    lstCompressor->setGeometry(12, 32, 220, 150);
    for (const auto& compressor : compressors_)
        lstCompressor->addItem(QString::fromStdString(compressor.Caption));
    lstCompressor->setCurrentRow(0);

    auto* group = new GFXFrameX(QString::fromUtf8(Tr("CompressorWidget", "設定")), this);
    group->setGeometry(12, 188, 336, 100);
    auto* quality = new QLabel(QString::fromUtf8(Tr("CompressorWidget", "圧縮の品質")), group);
    quality->setGeometry(10, 18, 110, 22);
    txtQuality = new QSpinBox(group);
    txtQuality->setGeometry(122, 18, 70, 22);
    txtQuality->setRange(1, 100);
    txtQuality->setValue(75);
    chkKeyFrame = new QCheckBox(QString::fromUtf8(Tr("CompressorWidget", "キーフレーム毎")), group);
    chkKeyFrame->setGeometry(10, 44, 110, 22);
    txtKeyFrame = new QSpinBox(group);
    txtKeyFrame->setGeometry(122, 44, 110, 22);
    txtKeyFrame->setRange(1, 1000);
    txtKeyFrame->setValue(15);
    txtKeyFrame->setSuffix(QString::fromUtf8(Tr("CompressorWidget", " ﾌﾚｰﾑ")));
    chkDataRate = new QCheckBox(QString::fromUtf8(Tr("CompressorWidget", "データレート")), group);
    chkDataRate->setGeometry(10, 70, 110, 22);
    txtDataRate = new QSpinBox(group);
    txtDataRate->setGeometry(122, 70, 110, 22);
    txtDataRate->setRange(1, 1000000);
    txtDataRate->setValue(2000);
    txtDataRate->setSuffix(" KB/s");

    cmd_OK = new ccXPButton("OK", this);
    cmd_OK->setToolTip(QString::fromUtf8(Tr("CompressorWidget", "この圧縮の設定で作成します")));
    cmd_OK->setGeometry(248, 32, 100, 28);
    cmd_OK->setDefault(true);
    cmd_Can = new ccXPButton(QString::fromUtf8(Tr("CompressorWidget", "ｷｬﾝｾﾙ")), this);
    cmd_Can->setToolTip(QString::fromUtf8(Tr("CompressorWidget", "作成をやめて閉じます")));
    cmd_Can->setGeometry(248, 68, 100, 28);
    connect(cmd_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmd_Can, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstCompressor, &QListWidget::currentRowChanged, this, [this] { UpdateControls(); });
    connect(chkKeyFrame, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    connect(chkDataRate, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    UpdateControls();
    clsShadow::Attach(this, 130, 20);
}

void CompressorWidget::UpdateControls() {
    const int row = lstCompressor->currentRow();
    const bool compressed = row > 0 && row < static_cast<int>(compressors_.size());
    const bool quality = compressed && compressors_[row].UsesQuality;
    txtQuality->setEnabled(quality && !chkDataRate->isChecked());
    chkKeyFrame->setEnabled(compressed);
    txtKeyFrame->setEnabled(compressed && chkKeyFrame->isChecked());
    chkDataRate->setEnabled(quality);
    txtDataRate->setEnabled(quality && chkDataRate->isChecked());
}

CompressorOptions CompressorWidget::Options() const {
    CompressorOptions options;
    const int row = lstCompressor->currentRow();
    if (row >= 0 && row < static_cast<int>(compressors_.size()))
        options.Name = compressors_[row].Name;
    options.Quality = txtQuality->value();
    options.KeyFrameEvery = chkKeyFrame->isChecked() ? txtKeyFrame->value() : 1;
    // The data rate is given in kilobytes per second; the encoder takes kilobits.
    options.DataRate =
        chkDataRate->isEnabled() && chkDataRate->isChecked() ? txtDataRate->value() * 8 : 0;
    return options;
}

std::optional<CompressorOptions> ShowCompressorChooser(QWidget* owner) {
    CompressorWidget dialog(owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Options();
}

}  // namespace fennix
