// Fault injection for the file-write paths, in the style of an I/O-error
// loop: every write(), fsync()/fdatasync(), linkat() and rename() that
// touches a file under the watched directory is a fault point, numbered
// from 1 after arm(). Point n fails; in DiskFull mode every later point
// fails too, and the failing write first stores part of its bytes, as a
// full disk does. Works by interposing the C library calls in the test
// executable (it must be linked with ENABLE_EXPORTS).
#pragma once

#include <QString>

namespace faults {

enum class Mode {
    Transient, // point n fails with EIO, everything else works
    DiskFull,  // point n writes half and later points fail with ENOSPC
};

// Only files whose path starts with `dir` count.
void watch(const QString &dir);
void arm(int n, Mode mode);
void disarm();
// Fault points passed since arm(), and whether point n was reached.
int pointsPassed();
bool fired();
// The call that failed at point n ("write", "fdatasync", "linkat", ...).
const char *firedCall();

} // namespace faults
