// Screenshots of the run timing: the document's 作成オプション with held ends
// and eased curves, and the frame's 連続モーフィング with three projects.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>

#include "Shots.h"
#include "ui/document/Fennix_RunOpt.h"
#include "ui/frame/Fennix_Chain.h"

namespace fennix::shots {

namespace {

const Register timing("timing", [](const Context& c) {
    RunOptions options;
    options.HoldStart = 10;
    options.HoldEnd = 15;
    options.Motion = Easing::InOut;
    options.Dissolve = Easing::In;
    Fennix_RunOpt runOptions(options, 29);
    runOptions.show();
    QApplication::processEvents();
    Save(&runOptions, c.out, "run-options");

    Fennix_Chain chain;
    for (const char* name : {"mum-dad.mph", "dad-kid.mph", "kid-mum.mph"})
        chain.AddProject("/home/user/family/" + std::string(name));
    chain.lstProjects->setCurrentRow(1);
    chain.txtFolder->setText("/home/user/family/frames");
    chain.show();
    QApplication::processEvents();
    Save(&chain, c.out, "morph-chain");
});

}  // namespace
}  // namespace fennix::shots
