// Start-up steps of the application that need the GUI (the rest lives in
// app/paths.h and app/systemconfig.h).
#pragma once

#include <QString>

class QApplication;

// The start-up file: the only argument when exactly one is given, converted
// from the local 8-bit encoding; empty otherwise.
QString startupFilePath(int argc, char *argv[]);

// Maps "微软雅黑" / "Microsoft YaHei" to a CJK font found on this system.
// Must run before the first widget is created.
void installFontSubstitutions();

// Sets the process-wide display scale from the primary screen.
void computeDisplayScale();

// Application font "微软雅黑", normal weight, pixel size from the scale.
void setApplicationFont(QApplication &app);

// The five diagnostic lines about directories and the screen.
void logStartupEnvironment();

// True when no one can see or answer a window: the offscreen or minimal
// platform (QT_QPA_PLATFORM).
bool isScreenless();

// From now on every dialog that opens (a message box, a question, a file
// dialog) is answered at once: its title and text go to stdout and it is
// closed as by Escape (a question gets its "no"/cancel answer, a file
// dialog chooses nothing). A run without a user never waits for one.
void answerDialogsAutomatically(QApplication &app);
