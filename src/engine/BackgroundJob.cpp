#include "engine/BackgroundJob.h"

#include <QCoreApplication>
#include <QEvent>

namespace fennix {

BackgroundJob::~BackgroundJob() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
    // What the work posted would find this object gone.
    QCoreApplication::removePostedEvents(context_, QEvent::MetaCall);
}

bool BackgroundJob::Start(std::function<void(BackgroundJob&)> work,
                          std::function<void()> finished) {
    if (running_) return false;
    if (thread_.joinable()) thread_.join();
    cancel_ = false;
    running_ = true;
    thread_ = std::thread([this, work = std::move(work), finished = std::move(finished)] {
        work(*this);
        // Queued behind everything the work posted.
        Post([this, finished] {
            if (thread_.joinable()) thread_.join();
            running_ = false;
            if (finished) finished();
        });
    });
    return true;
}

void BackgroundJob::Post(std::function<void()> step) {
    QMetaObject::invokeMethod(context_, std::move(step), Qt::QueuedConnection);
}

void BackgroundJob::Finish() {
    if (!running_) return;
    if (thread_.joinable()) thread_.join();
    // The calls the work queued for the context, its last one included.
    QCoreApplication::sendPostedEvents(context_, QEvent::MetaCall);
}

}  // namespace fennix
