#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>

namespace fennix::test {

// Acts on modal windows as the program opens them. Each step waits until a
// modal window of its class is the active modal window and shown, then runs
// its action inside that window's own event loop, as a user's clicks would
// arrive. Steps run in the order they were added. A step that does not come
// within the time limit fails the test, and from then on every modal window
// is closed as soon as it shows, so the walkthrough can never hang.
class ModalScript : public QObject {
  public:
    explicit ModalScript(int stepTimeoutMs = 60000);
    ~ModalScript() override;

    template <class Window>
    void On(const std::string& name, std::function<void(Window&)> action) {
        steps_.push_back({name, [](QWidget* w) { return qobject_cast<Window*>(w) != nullptr; },
                          [action](QWidget* w) { action(*qobject_cast<Window*>(w)); }});
        Start();
    }

    // The steps still waiting; empty once every step has run.
    std::deque<std::string> Pending() const;
    // The names of the steps that ran, in order.
    const std::deque<std::string>& Done() const { return done_; }

  private:
    struct Step {
        std::string name;
        std::function<bool(QWidget*)> matches;
        std::function<void(QWidget*)> action;
    };

    void Start();
    void Schedule();
    void Poll();

    std::deque<Step> steps_;
    std::deque<std::string> done_;
    QElapsedTimer waiting_;
    int timeoutMs_;
    bool scheduled_ = false;
    bool aborted_ = false;
};

}  // namespace fennix::test
