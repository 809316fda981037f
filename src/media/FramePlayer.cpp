#include "media/FramePlayer.h"

#include <algorithm>

namespace fennix {

FramePlayer::FramePlayer(Clock clock, ShowFrame show)
    : clock_(std::move(clock)), show_(std::move(show)) {}

void FramePlayer::Play(int interval) {
    looping_ = false;
    interval_ = interval;
    StartForward();
}

void FramePlayer::Loop(int interval) {
    looping_ = true;
    interval_ = interval;
    StartForward();
}

void FramePlayer::Stop() {
    looping_ = false;
    state_ = PlayState::Idle;
}

void FramePlayer::SetInterval(int interval) {
    interval_ = interval;
}

void FramePlayer::Tick() {
    if (state_ == PlayState::Idle) return;
    if (clock_() - start_ < interval_) return;
    if (!show_(counter_)) {
        EndRun();
        return;
    }
    counter_ += state_ == PlayState::Forward ? 1 : -1;
    start_ = clock_();  // after loading: the load time adds to the interval
}

int64_t FramePlayer::MsUntilNextPass() const {
    if (state_ == PlayState::Idle) return -1;
    return std::max<int64_t>(0, start_ + interval_ - clock_());
}

void FramePlayer::StartForward() {
    state_ = PlayState::Forward;
    counter_ = 0;
    start_ = clock_();
}

void FramePlayer::StartBackward() {
    state_ = PlayState::Backward;
    counter_ -= 1;  // the forward run ended one past its last frame
    start_ = clock_();
}

void FramePlayer::EndRun() {
    if (!looping_)
        state_ = PlayState::Idle;
    else if (state_ == PlayState::Forward)
        StartBackward();
    else
        StartForward();
}

}  // namespace fennix
