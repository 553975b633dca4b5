// Rules of the detection data file that depend only on the header and the
// file size: the acceptance test, the kind of file, the format version and
// its raise, the type change and the counts of groups and records.
#pragma once

#include "datafile/records.h"

#include <QString>

namespace fileformat {

// Text after the last "." of the type/version text (the build number).
QString buildNumberText(const FileHead &head);

// True for an original measurement file: the type text contains "ORG" or "A14".
bool isOriginal(const FileHead &head);

// Bytes taken by the analysis records: 0 for an original file, else
// (3 x waveGroupCnt - deleteChannelCnt) x 1056 (may be negative for a
// hostile header; callers treat that as inconsistent).
qint64 analysisAreaSize(const FileHead &head);

// Acceptance test of a file of `fileSize` bytes with header `head`.
// On rejection `reason` (if given) says why, for the log.
bool accepts(const FileHead &head, qint64 fileSize, QString *reason = nullptr);

// Number of complete wave groups before the analysis area.
qint64 completeGroupCount(const FileHead &head, qint64 fileSize);

struct Version {
    bool hasV = false; // the text has a "V"
    int count = 0;     // how many of the three numbers were found
    int main = 0, mid = 0, low = 0;
};
// Parses the three numbers after the first "V"; each number stops at its
// first non-digit; numbers too big for an int saturate.
Version parseVersion(const QString &typeVersion);

// Old format version: no "V", fewer than three numbers, or
// main <= 1, middle <= 0 and low <= 2736.
bool isOldVersion(const FileHead &head);

// Raises an old version to at least 1.1.2736, keeping the text up to and
// including the "V"; sets change bit 0x02. Returns false (and changes
// nothing) when the text has no "V".
bool raiseVersion(FileHead &head);

// Replaces every "ORG" of the type text by "ANA" and sets change bit 0x02.
void changeTypeToAnalysis(FileHead &head);

} // namespace fileformat
