#pragma once

// The minimal GLUT program the benchmark measures the demo against: the
// title of its window, by which the benchmark finds it.
constexpr const char* baselineTitle = "Baseline";
