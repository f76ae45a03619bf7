#pragma once

#include <iosfwd>

// The whole of the program's mutable data. The phase of the animation is
// read off the values themselves: the squares are approaching while
// approachBrake is 0 and shrinking once it is 0.5.
struct AnimationState {
    float figureScale;     // uniform scale of the whole figure, printed every tick
    float approachOffset;  // distance each square has travelled toward the centre
    float approachBrake;   // subtracted from the 0.5 approach step; 0.5 once the squares meet
    float spinAngle;       // rotation of the whole figure in degrees, kept in [0, 360)
};

// The state as it is before the first tick.
constexpr AnimationState initialAnimationState{1.0f, 0.0f, 0.0f, 0.0f};

// With exact single-precision rounding the state repeats every 38 ticks
// (19 approaching, 19 shrinking, the last of which resets), apart from the
// spin, which each cycle leaves 95 degrees further on. The program never
// counts cycles; this names the length for what draws or checks them.
constexpr int ticksPerCycle = 38;

// Time from the end of one tick to the next.
constexpr int tickPeriodMilliseconds = 50;

// The one process-wide instance, written by the tick and read by the drawing.
extern AnimationState animationState;

// Advances the state by one tick. Pure arithmetic, no GLUT or output, so that
// it can be driven without a window (the GLUT timer callback that drives it
// is animationTick, window.h).
void advanceAnimation(AnimationState& state);

// Writes one trace line: the scale in the stream's default number format,
// a newline, and a flush.
void writeTraceLine(std::ostream& out, float scale);
