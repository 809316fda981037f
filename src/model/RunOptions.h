#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fennix {

// How the fraction of the way from the start picture to the end picture
// grows over the frames of a run: at an even pace (the plain run), slowly
// at first (t²), slowly at the end (1 − (1 − t)²), or slowly at both ends
// (3t² − 2t³).
enum class Easing { Linear, In, Out, InOut };

// The eased fraction of `t` (0 … 1). Every curve gives 0 at 0 and 1 at 1;
// Linear gives `t` itself, bit for bit.
double Eased(Easing easing, double t);

// The names used on the command line and in the project file ("linear",
// "in", "out", "in-out"), and the curve of a name (nothing for another
// text).
const char* EasingName(Easing easing);
std::optional<Easing> EasingFromName(const std::string& name);

// The most frames either end may be held for.
inline constexpr int kMaxHoldFrames = 100000;

// The timing of a run: how long the first and the last picture are held
// and how the motion and the colour dissolve run between them. The default
// is the plain run.
struct RunOptions {
    int HoldStart = 0;  // copies of the first frame written before it, 0 … kMaxHoldFrames
    int HoldEnd = 0;    // copies of the last frame written after it, 0 … kMaxHoldFrames
    Easing Motion = Easing::Linear;
    // The curve of the colour dissolve; none: the motion's.
    std::optional<Easing> Dissolve;
    // 滑らか: the frames are made by the smooth warp (fractional mesh,
    // filtered sampling) instead of the exact one.
    bool Smooth = false;

    bool IsDefault() const { return *this == RunOptions{}; }
    Easing DissolveCurve() const { return Dissolve.value_or(Motion); }
    friend bool operator==(const RunOptions&, const RunOptions&) = default;
};

// Run options given apart from a project (on the command line): each one
// set replaces the project's own.
struct RunOverrides {
    std::optional<int> HoldStart, HoldEnd;
    std::optional<Easing> Motion, Dissolve;
    std::optional<bool> Smooth;
    RunOptions AppliedTo(RunOptions options) const;
};

// The fractions frame k of 0 … N is made with: the mesh lies `mesh` of the
// way from the start grid to the end grid, the colours `dissolve` of the
// way from the start picture to the end picture. For linear curves both
// are k / N as the plain run computes it.
struct FrameFractions {
    float mesh = 0;
    float dissolve = 0;
};
FrameFractions FractionsOf(const RunOptions& options, int k, int N);

// The number of frame files a run of made frames 0 … N writes: the held
// copies at both ends included, less the first frame when `joined` (it is
// the last frame of the run before it).
int64_t WrittenFrameCount(const RunOptions& options, int N, bool joined = false);

}  // namespace fennix
