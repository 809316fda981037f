#include "model/RunOptions.h"

namespace fennix {

namespace {

struct NamedEasing {
    Easing easing;
    const char* name;
};
constexpr NamedEasing kEasingNames[] = {
    {Easing::Linear, "linear"}, {Easing::In, "in"}, {Easing::Out, "out"}, {Easing::InOut, "in-out"}};

}  // namespace

double Eased(Easing easing, double t) {
    switch (easing) {
        case Easing::In:
            return t * t;
        case Easing::Out:
            return 1 - (1 - t) * (1 - t);
        case Easing::InOut:
            return t * t * (3 - 2 * t);
        case Easing::Linear:
            break;
    }
    return t;
}

const char* EasingName(Easing easing) {
    for (const NamedEasing& named : kEasingNames)
        if (named.easing == easing) return named.name;
    return "linear";
}

std::optional<Easing> EasingFromName(const std::string& name) {
    for (const NamedEasing& named : kEasingNames)
        if (name == named.name) return named.easing;
    return std::nullopt;
}

RunOptions RunOverrides::AppliedTo(RunOptions options) const {
    if (HoldStart) options.HoldStart = *HoldStart;
    if (HoldEnd) options.HoldEnd = *HoldEnd;
    if (Motion) options.Motion = *Motion;
    if (Dissolve) options.Dissolve = *Dissolve;
    if (Smooth) options.Smooth = *Smooth;
    return options;
}

FrameFractions FractionsOf(const RunOptions& options, int k, int N) {
    // k / N in double, then to float: exactly what the plain run takes.
    const double t = N == 0 ? 0 : static_cast<double>(k) / N;
    return {static_cast<float>(Eased(options.Motion, t)),
            static_cast<float>(Eased(options.DissolveCurve(), t))};
}

int64_t WrittenFrameCount(const RunOptions& options, int N, bool joined) {
    return int64_t{options.HoldStart} + N + 1 + options.HoldEnd - (joined ? 1 : 0);
}

}  // namespace fennix
