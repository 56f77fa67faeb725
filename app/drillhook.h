#pragma once

class TFormMain;

// A scripted operator for the crash drill and the check of an installed
// program (PYLONIX_DRILL set): commands come one a line on standard input,
// and after each one the window's session state goes to standard output, so
// the drill knows what was shown when it kills the program. "P" on a line of
// its own says the window has been painted for the first time. Not installed
// in a normal run.
//
// Commands: "a <action>" triggers a menu item by name (mStart, mLAP, mStop,
// mAbort, mReset, Eintragen1, New1, Platz1); "m <row> <k>" clicks mark k of a
// time row, "x <row> <k>" its exact-time mark, "c <row>" its box;
// "e <k> <text>" types a start number, "l <metres>" the track length,
// "k <page>" chooses a class, "n <name>" adds one, "d <row>" deletes a table
// row; "w" closes the window as its close box does (the close question is
// answered "Ja"); "q" only reports.
void installDrillHook(TFormMain& window);

// "S <n> <base64 snapshot>" lines on standard output.
bool drillHookRequested();
