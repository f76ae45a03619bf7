#include "expected_animation.h"

#include "animation.h"

#include <array>

SceneState expectedStateAfterTick(long tick)
{
    const long cycle = tick / ticksPerCycle;
    const long k = tick % ticksPerCycle;
    const double spinAtStart = 95.0 * static_cast<double>(cycle);
    if (k <= approachTicks) {
        return {0.5 * static_cast<double>(k), 1.0, spinAtStart};
    }
    const double shrinks = static_cast<double>(k - approachTicks);
    return {10.0, 1.0 - 0.05 * shrinks, spinAtStart + 5.0 * shrinks};
}

std::string expectedTraceLine(long tick)
{
    static const std::array<const char*, 18> shrinking{
        "0.95", "0.9", "0.85", "0.8", "0.75", "0.7", "0.65", "0.6", "0.55",
        "0.5", "0.45", "0.4", "0.35", "0.3", "0.25", "0.2", "0.15", "0.0999998",
    };
    const long k = tick % ticksPerCycle;
    return k > approachTicks ? shrinking[static_cast<size_t>(k - approachTicks - 1)] : "1";
}
