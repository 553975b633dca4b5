// Text that may go into a report, an XML part or a survey's header: no lone
// surrogate halves (what undecodable bytes turn into) and no control
// characters other than tab, line feed and carriage return.
#pragma once

#include <QString>

namespace kvrio {

// True when `text` holds only characters that may be written as they are.
bool isCleanText(const QString &text);
// `text` without what isCleanText() refuses; `changed` says whether anything went.
QString cleanText(const QString &text, bool *changed = nullptr);

} // namespace kvrio
