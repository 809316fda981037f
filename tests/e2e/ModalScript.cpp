#include "e2e/ModalScript.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace fennix::test {

namespace {
constexpr int kPollMs = 10;
}

ModalScript::ModalScript(int stepTimeoutMs) : timeoutMs_(stepTimeoutMs) {}

ModalScript::~ModalScript() {
    for (const Step& step : steps_) ADD_FAILURE() << "modal step never ran: " << step.name;
}

std::deque<std::string> ModalScript::Pending() const {
    std::deque<std::string> names;
    for (const Step& step : steps_) names.push_back(step.name);
    return names;
}

void ModalScript::Start() {
    if (steps_.size() == 1 && !aborted_) waiting_.start();
    Schedule();
}

void ModalScript::Schedule() {
    if (scheduled_) return;
    scheduled_ = true;
    // A fresh single-shot for every poll: an action that opens a nested
    // modal loop leaves the next poll pending in that loop.
    QTimer::singleShot(kPollMs, this, [this] {
        scheduled_ = false;
        Poll();
    });
}

void ModalScript::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (aborted_) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else if (modal)
            modal->close();
        Schedule();
        return;
    }
    if (steps_.empty()) return;
    if (modal && modal->isVisible() && steps_.front().matches(modal)) {
        Step step = std::move(steps_.front());
        steps_.pop_front();
        done_.push_back(step.name);
        waiting_.start();
        if (!steps_.empty()) Schedule();
        step.action(modal);
        return;
    }
    if (waiting_.elapsed() > timeoutMs_) {
        ADD_FAILURE() << "no modal window for step \"" << steps_.front().name
                      << "\" (active: " << (modal ? modal->metaObject()->className() : "none")
                      << ")";
        steps_.clear();
        aborted_ = true;
    }
    Schedule();
}

}  // namespace fennix::test
