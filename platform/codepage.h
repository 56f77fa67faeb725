#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Turns bytes in a Windows code page into text, standing in for the system's
// multi-byte conversion. Uses the C library's iconv.
//
// Bytes that are not valid in the code page never fail the conversion: each
// one becomes U+FFFD, except in code page 1252, where the five bytes Windows
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control
// characters of the same number, as Windows itself reads them. A sequence cut
// off at the end becomes one U+FFFD. An unknown code page decodes as 1252.
QString decodeCodePage(const QByteArray& bytes, int codePage);

// The iconv name used for a Windows code page number, or nullptr when the
// code page is not one this program knows.
const char* iconvNameForCodePage(int codePage);

}  // namespace platform
