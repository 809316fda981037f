#include "ui/frame/Fennix_Opt.h"

#include <QLabel>

#include "core/Translation.h"
#include "model/Settings.h"
#include "ui/controls/GFXFrameX.h"
#include "ui/controls/ImageOption.h"
#include "ui/controls/Slider.h"
#include "ui/controls/ccXPButton.h"

namespace fennix {

namespace {

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

Fennix_Opt::Fennix_Opt(QWidget* parent) : ProgramDialog(parent) {
    setWindowTitle(Text(Tr("Fennix_Opt", "オプションの設定")));
    setModal(true);
    setFixedSize(kWidth, kHeight);

    // One framed group per setting; sliders sit in a row with their value.
    auto frame = [this](const char* caption, int top, int height) {
        auto* f = new GFXFrameX(Text(caption), this);
        f->setGeometry(8, top, kWidth - 16, height);
        return f;
    };
    auto slider = [this](int max, int left, int top, QLabel*& value) {
        auto* s = new Slider(max, this);
        s->setGeometry(left, top, 236 - left, 22);
        value = new QLabel(this);
        value->setGeometry(244, top, 48, 22);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return s;
    };
    auto caption = [this](const char* text, int top) {
        auto* label = new QLabel(Text(text), this);
        label->setGeometry(20, top, 44, 22);
    };

    frame(Tr("Fennix_Opt", "総ﾌﾚｰﾑ数"), 6, 56);
    Slider1 = slider(100, 20, 30, lbl_Frame);

    frame(Tr("Fennix_Opt", "ﾏﾄﾘｸｽ"), 68, 86);
    caption(Tr("Fennix_Opt", "行数"), 92);
    Slider2 = slider(40, 64, 92, lbl_Gyo);
    caption(Tr("Fennix_Opt", "列数"), 120);
    Slider3 = slider(40, 64, 120, lbl_Retu);

    frame(Tr("Fennix_Opt", "ﾎﾟｲﾝﾀの大きさ"), 160, 56);
    Slider4 = slider(15, 20, 184, lbl_Point);

    frame(Tr("Fennix_Opt", "保存ﾌｧｲﾙの種類"), 222, 54);
    const char* kinds[2] = {"BMP", "JPG"};
    for (int i = 0; i < 2; ++i) {
        Kind[i] = new ImageOption(Text(kinds[i]), 28 + 110 * i, 246, 60, this);
        connect(Kind[i], &ImageOption::Clicked, this, [this, i] { Kind_Click(i); });
    }
    LinkOptions({Kind[0], Kind[1]});

    frame(Tr("Fennix_Opt", "最近使ったﾌｧｲﾙの表示数（Max.）"), 282, 54);
    const char* recents[6] = {"", Tr("Fennix_Opt", "なし"), "5", "10", "15", "20"};
    for (int i = 1; i <= 5; ++i) {
        Recent[i] = new ImageOption(Text(recents[i]), 22 + 56 * (i - 1), 306, 32, this);
        connect(Recent[i], &ImageOption::Clicked, this, [this, i] { Recent_Click(i); });
    }
    LinkOptions(std::vector<ImageOption*>(Recent + 1, Recent + 6));

    ccXPButton1 = new ccXPButton(Text(Tr("Fennix_Opt", "設定")), this);
    ccXPButton1->setToolTip(Text(Tr("Fennix_Opt", "設定を決定して閉じます")));
    ccXPButton1->setGeometry(kWidth - 8 - 84 - 8 - 84, 352, 84, 30);
    ccXPButton2 = new ccXPButton(Text(Tr("Fennix_Opt", "ｷｬﾝｾﾙ")), this);
    ccXPButton2->setToolTip(Text(Tr("Fennix_Opt", "何も変えずに閉じます")));
    ccXPButton2->setGeometry(kWidth - 8 - 84, 352, 84, 30);
    SetEnterButton(ccXPButton1);
    connect(ccXPButton1, &QPushButton::clicked, this, [this] { ccXPButton1_Click(); });
    connect(ccXPButton2, &QPushButton::clicked, this, [this] { ccXPButton2_Click(); });

    const std::pair<Slider*, QLabel*> shown[4] = {
        {Slider1, lbl_Frame}, {Slider2, lbl_Gyo}, {Slider3, lbl_Retu}, {Slider4, lbl_Point}};
    for (const auto& [s, label] : shown)
        connect(s, &Slider::Change, label, [label](int value) { label->setNum(value); });

    // The values as the settings hold them, also beyond a slider's range.
    const int values[4] = {Settings.FrameCount, Settings.Rows, Settings.Columns,
                           Settings.PointerSize};
    for (int n = 0; n < 4; ++n) {
        shown[n].first->SetValue(values[n]);
        shown[n].second->setNum(values[n]);
    }
    // A kind or display index outside the groups selects no entry; OK then
    // writes back what the settings held.
    kind_ = Settings.SaveKind;
    for (int i = 0; i < 2; ++i) Kind[i]->SetOn(i == kind_);
    recent_ = Settings.RecentDisplay;
    for (int i = 1; i <= 5; ++i) Recent[i]->SetOn(i == recent_);

    OpenFromCursor(size());
}

void Fennix_Opt::Kind_Click(int index) {
    for (int i = 0; i < 2; ++i) Kind[i]->SetOn(i == index);
    kind_ = index;
}

void Fennix_Opt::Recent_Click(int index) {
    for (int i = 1; i <= 5; ++i) Recent[i]->SetOn(i == index);
    recent_ = index;
}

void Fennix_Opt::ccXPButton1_Click() {
    Settings.DialogConfirmed = true;
    Settings.FrameCount = std::max(Slider1->Value(), 2);
    Settings.Rows = std::max(Slider2->Value(), 2);
    Settings.Columns = std::max(Slider3->Value(), 2);
    Settings.PointerSize = Slider4->Value() == 0 ? 1 : Slider4->Value();
    Settings.RecentDisplay = static_cast<int16_t>(recent_);
    Settings.SaveKind = static_cast<int16_t>(kind_);
    accept();
}

void Fennix_Opt::ccXPButton2_Click() {
    reject();
}

void Fennix_Opt::done(int result) {
    ZoomBackToCursor();
    QDialog::done(result);
}

}  // namespace fennix
