#include "animation/animation_tick.h"

#include "animation/animation_state.h"

#include "glut_headers.h"

#include <iostream>

void animationTick(int /*value*/)
{
    advanceAnimation(animationState);
    writeTraceLine(std::cout, animationState.figureScale);
    glutTimerFunc(tickPeriodMilliseconds, animationTick, 0);
    glutPostRedisplay();
}
