#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

namespace fennix {

// Runs one long piece of work on a thread of its own while the window stays
// responsive. What the work reports is handed to the thread of `context`
// (the window's) in the order it was posted, and `finished` runs there
// after all of it. A job is run once at a time; it can be asked to stop,
// and the work decides where it is safe to (after a whole frame, say).
// The job is a member of its context object and goes with it.
class BackgroundJob {
  public:
    explicit BackgroundJob(QObject* context) : context_(context) {}
    // Asks the work to stop and waits for it; nothing it posted runs.
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts `work` on its thread; false, and nothing started, while an
    // earlier job has not finished.
    bool Start(std::function<void(BackgroundJob&)> work, std::function<void()> finished);

    // From the work: runs `step` on the context's thread.
    void Post(std::function<void()> step);
    // From the work: true once Cancel was called.
    bool CancelRequested() const { return cancel_.load(std::memory_order_relaxed); }

    // Asks the work to stop at its next safe point.
    void Cancel() { cancel_ = true; }
    // From Start until `finished` has run.
    bool Running() const { return running_; }
    // Waits for the work to return and runs what it posted, `finished`
    // included, at once: for closing a window whose job is still running.
    void Finish();

  private:
    QObject* context_;
    std::thread thread_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;
};

}  // namespace fennix
