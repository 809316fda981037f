#include "ui/common/HelpWindows.h"

#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <functional>

#include "core/Prompts.h"
#include "core/Translation.h"
#include "core/Version.h"
#include "engine/LibraryVersions.h"

namespace fennix {

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A window of its own over `owner`, made once and shown again while it is
// open; it goes away when it is closed.
QWidget* ShowSingle(QPointer<QDialog>& window, QWidget* owner, const char* title, QSize size,
                    const std::function<void(QDialog&, QVBoxLayout&)>& fill) {
    if (!window) {
        window = new QDialog(owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(Q(title));
        auto* layout = new QVBoxLayout(window);
        fill(*window, *layout);
        window->resize(size);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

QPointer<QDialog> guideWindow, shortcutsWindow, aboutWindow;

}  // namespace

const std::vector<ShortcutEntry>& ShortcutEntries() {
    using K = QKeySequence;
    static const std::vector<ShortcutEntry> entries = {
        {{K(Qt::CTRL | Qt::Key_N)}, nullptr, TrMark("HelpWindows", "新規")},
        {{K(Qt::CTRL | Qt::Key_O)}, nullptr, TrMark("HelpWindows", "開く")},
        {{K(Qt::CTRL | Qt::Key_S)}, nullptr, TrMark("HelpWindows", "上書き保存")},
        {{K(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, nullptr, TrMark("HelpWindows", "名前を付けて保存")},
        {{K(Qt::CTRL | Qt::Key_Z)}, nullptr, TrMark("HelpWindows", "元に戻す")},
        {{K(Qt::CTRL | Qt::Key_Y), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
         nullptr,
         TrMark("HelpWindows", "やり直し")},
        {{K(Qt::Key_Delete)}, nullptr, TrMark("HelpWindows", "選んだ点の削除")},
        {{K(Qt::CTRL | Qt::Key_L)}, nullptr, TrMark("HelpWindows", "線を引く")},
        {{K(Qt::CTRL | Qt::Key_P)}, nullptr, TrMark("HelpWindows", "プレビュー")},
        {{K(Qt::CTRL | Qt::Key_M)}, nullptr, TrMark("HelpWindows", "モーフィングデータ")},
        {{K(Qt::CTRL | Qt::Key_A)}, nullptr, TrMark("HelpWindows", "AVI ファイル")},
        {{K(Qt::Key_Escape)}, nullptr, TrMark("HelpWindows", "作成の中止")},
        {{K(Qt::CTRL | Qt::Key_E), K(Qt::CTRL | Qt::Key_Q)},
         nullptr,
         TrMark("HelpWindows", "Fennixの終了")},
        {{K(Qt::Key_F1)}, nullptr, TrMark("HelpWindows", "使い方")},
        {{}, TrMark("HelpWindows", "Ctrl + ホイール"), TrMark("HelpWindows", "ズーミング")},
        {{},
         TrMark("HelpWindows", "ホイール、Shift + ホイール"),
         TrMark("HelpWindows", "上下、左右のスクロール")},
        {{}, TrMark("HelpWindows", "ダブルクリック"), TrMark("HelpWindows", "点の追加")},
    };
    return entries;
}

std::string AboutText() {
    std::string text = VersionLine("Fennix") + "\n";
    text += Tr("HelpWindows", "画像モーフィングプログラム");
    text += "\n";
    text += Format(Tr("HelpWindows", "ライセンス: %1"), {kProgramLicence});
    text += "\n\n";
    text += Tr("HelpWindows", "使用しているライブラリ:");
    text += "\n";
    for (const LibraryVersion& library : LibraryVersions())
        text += "  " + library.name + " " + library.version + "\n";
    return text;
}

QWidget* ShowGuide(QWidget* owner) {
    return ShowSingle(guideWindow, owner, Tr("HelpWindows", "Fennix の使い方"), QSize(760, 640),
                      [](QDialog& window, QVBoxLayout& layout) {
                          auto* browser = new QTextBrowser(&window);
                          browser->setObjectName("guide");
                          browser->setOpenExternalLinks(true);
                          QFile readme(":/README.md");
                          if (readme.open(QIODevice::ReadOnly)) {
                              // The README's pictures lie beside it in the
                              // sources, not in the program: left out.
                              QString text = QString::fromUtf8(readme.readAll());
                              text.remove(QRegularExpression(R"(!\[[^\]]*\]\([^)]*\))"));
                              browser->setMarkdown(text);
                          }
                          layout.addWidget(browser);
                      });
}

QWidget* ShowShortcuts(QWidget* owner) {
    return ShowSingle(
        shortcutsWindow, owner, Tr("HelpWindows", "キーボードショートカット"), QSize(460, 500),
        [](QDialog& window, QVBoxLayout& layout) {
            const auto& entries = ShortcutEntries();
            auto* table = new QTableWidget(static_cast<int>(entries.size()), 2, &window);
            table->setObjectName("shortcuts");
            table->setHorizontalHeaderLabels(
                {Q(Tr("HelpWindows", "キー")), Q(Tr("HelpWindows", "操作"))});
            table->verticalHeader()->hide();
            table->setEditTriggers(QAbstractItemView::NoEditTriggers);
            table->setSelectionMode(QAbstractItemView::NoSelection);
            for (int row = 0; row < static_cast<int>(entries.size()); ++row) {
                const ShortcutEntry& entry = entries[static_cast<size_t>(row)];
                QStringList keys;
                for (const QKeySequence& key : entry.keys)
                    keys << key.toString(QKeySequence::NativeText);
                const QString shown =
                    entry.keys.isEmpty() ? Q(Tr("HelpWindows", entry.gesture)) : keys.join(", ");
                table->setItem(row, 0, new QTableWidgetItem(shown));
                table->setItem(row, 1, new QTableWidgetItem(Q(Tr("HelpWindows", entry.what))));
            }
            table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
            table->horizontalHeader()->setStretchLastSection(true);
            layout.addWidget(table);
        });
}

QWidget* ShowAbout(QWidget* owner) {
    return ShowSingle(aboutWindow, owner, Tr("HelpWindows", "バージョン情報"), QSize(380, 260),
                      [](QDialog& window, QVBoxLayout& layout) {
                          auto* label = new QLabel(QString::fromStdString(AboutText()), &window);
                          label->setObjectName("about");
                          label->setTextFormat(Qt::PlainText);
                          label->setTextInteractionFlags(Qt::TextSelectableByMouse);
                          layout.addWidget(label);
                      });
}

QMenu* BuildHelpMenu(QWidget* owner) {
    auto* menu = new QMenu(Q(Tr("HelpWindows", "ヘルプ(&H)")), owner);
    QAction* guide = menu->addAction(Q(Tr("HelpWindows", "使い方")));
    guide->setObjectName("mnuGuide");
    guide->setShortcut(QKeySequence(Qt::Key_F1));
    QAction* keys = menu->addAction(Q(Tr("HelpWindows", "キーボードショートカット")));
    keys->setObjectName("mnuShortcuts");
    menu->addSeparator();
    QAction* about = menu->addAction(Q(Tr("HelpWindows", "バージョン情報")));
    about->setObjectName("mnuAbout");
    QObject::connect(guide, &QAction::triggered, owner, [owner] { ShowGuide(owner); });
    QObject::connect(keys, &QAction::triggered, owner, [owner] { ShowShortcuts(owner); });
    QObject::connect(about, &QAction::triggered, owner, [owner] { ShowAbout(owner); });
    return menu;
}

}  // namespace fennix
