#pragma once

#include "app/formmain.h"

// The program from its first window to the end of its event loop: the five
// windows in their order, the language, the message loop and the orderly end.
// The application object must exist; main() makes it. Returns the loop's code.
int runProgram(FormMainOptions options = {});
