#pragma once

#include "app/formmain.h"

#include <functional>

// The program from its first window to the end of its event loop: the five
// windows in their order, the language, the message loop and the orderly end.
// The application object must exist; main() makes it. Returns the loop's code.
// `started`, when given, runs once the window is up and its journal started.
int runProgram(FormMainOptions options = {}, std::function<void(TFormMain&)> started = {});
