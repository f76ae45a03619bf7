#include "window.h"

// Where GLUT's window needs nothing more to be recognised (Windows takes its
// icon from the program's resources, a page has none), there is nothing to do.
void identifyWindow()
{
}
