#include "animation.h"

#include <ostream>

AnimationState animationState = initialAnimationState;

void advanceAnimation(AnimationState& state)
{
    // The approach and shrink steps are computed in double precision and
    // rounded back to single precision when stored; the spin step stays in
    // single precision. The thresholds compare the widened values strictly.
    state.approachOffset = static_cast<float>(
        static_cast<double>(state.approachOffset) + (0.5 - static_cast<double>(state.approachBrake)));

    if (static_cast<double>(state.approachOffset) > 9.5) {
        state.approachBrake = 0.5f;

        // Every value the angle takes is a whole multiple of 5, so taking 360
        // off is exact and the rotation drawn is the same. Without it the
        // angle would grow without end and, after weeks of running, a 5
        // degree step would round to 8 and then to nothing.
        state.spinAngle = state.spinAngle + 5.0f;
        if (state.spinAngle >= 360.0f) {
            state.spinAngle = state.spinAngle - 360.0f;
        }

        state.figureScale = static_cast<float>(static_cast<double>(state.figureScale) - 0.05);
        if (static_cast<double>(state.figureScale) < 0.05) {
            state.approachOffset = 0.0f;
            state.figureScale = 1.0f;
            state.approachBrake = 0.0f;
        }
    }
}

void writeTraceLine(std::ostream& out, float scale)
{
    // A write that failed earlier (a full disk, a reader that went away) must
    // not silence the trace for good, so every tick tries afresh.
    out.clear();
    out << static_cast<double>(scale) << '\n';
    out.flush();
}
