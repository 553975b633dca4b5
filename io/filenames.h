// File names as the system gives them.
//
// On Unix a file name is a string of bytes. Qt 5 turns it into a QString
// with the locale codec (QFile::decodeName) and back (QFile::encodeName);
// the plain UTF-8 codec turns every byte that is not UTF-8 (an old GBK name,
// say) into U+FFFD, so such a file can be listed but neither opened nor
// written under its own name. The codec installed here reads UTF-8 and keeps
// each stray byte as a lone surrogate U+DC80..U+DCFF, which it writes back
// as the same byte: every name survives the trip from the command line or
// the directory listing to open() and to the saved file.
#pragma once

class QTextCodec;

namespace kvrio {

// The codec ("UTF-8 (byte-preserving)"), created once.
QTextCodec *fileNameCodec();

// Makes it the locale codec (on Unix; elsewhere file names are UTF-16 and
// the plain UTF-8 codec is set). Call before the first QString is made from
// argv or a file name.
void installFileNameCodec();

} // namespace kvrio
