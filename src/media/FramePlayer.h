#pragma once

#include <cstdint>
#include <functional>

namespace fennix {

// Which way the active run steps through the frames.
enum class PlayState { Idle, Forward, Backward };

// The viewer's playback as a state machine without widgets. A run shows
// one frame per interval: the first one interval after the run starts,
// each next one an interval after the previous frame was shown (so loading
// time adds to the interval). A forward run goes 000, 001, … and ends at
// the first frame that cannot be shown; a backward run starts one below
// the frame where the forward run ended and ends below 000. In loop mode
// every end starts the run in the other direction, its clock started anew,
// so each end frame is shown twice and stays on screen three intervals.
//
// The owner calls Tick() repeatedly (a timer, or a test); each call is one
// pass of the run and reads the clock it was given.
class FramePlayer {
  public:
    // Milliseconds from any fixed start.
    using Clock = std::function<int64_t()>;
    // Loads and shows frame `index`; false when it cannot be loaded, which
    // ends the run. Negative indexes are passed too and must give false.
    using ShowFrame = std::function<bool(int index)>;

    FramePlayer(Clock clock, ShowFrame show);

    // Starts a forward run from frame 000 at `interval` milliseconds and
    // leaves loop mode. Restarts a run that is already active.
    void Play(int interval);

    // Enters loop mode and starts a forward run from frame 000; restarts the
    // cycle when a loop is already active.
    void Loop(int interval);

    // Ends any run and leaves loop mode; the frame on screen stays.
    void Stop();

    // The interval for the following passes; the active run keeps its
    // clock, so a shorter interval may make the next pass due at once.
    void SetInterval(int interval);

    // One pass: when the interval has passed since the run started or since
    // the last frame, shows the next frame, or ends the run when it cannot
    // be shown. Does nothing while idle.
    void Tick();

    // Milliseconds until the next pass is due (0 when already due); -1 while
    // idle.
    int64_t MsUntilNextPass() const;

    PlayState State() const { return state_; }
    bool Playing() const { return state_ != PlayState::Idle; }
    bool Looping() const { return looping_; }
    int Interval() const { return interval_; }
    // The index of the frame the next pass tries to show.
    int Counter() const { return counter_; }

  private:
    void StartForward();
    void StartBackward();
    void EndRun();

    Clock clock_;
    ShowFrame show_;
    PlayState state_ = PlayState::Idle;
    bool looping_ = false;
    int interval_ = 100;
    int counter_ = 0;
    int64_t start_ = 0;
};

}  // namespace fennix
