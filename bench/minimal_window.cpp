// The start-up benchmark's reference as a program of its own, linked against
// Qt Widgets alone and built with the same compiler and flags. Prints the
// monotonic time of its first paint and ends.
#include "minimalwindow.h"

int main(int argc, char** argv)
{
    return runMinimalWindow(argc, argv);
}
