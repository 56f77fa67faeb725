#pragma once

#include <QByteArray>
#include <QString>

// Text files made on Windows arrive in Windows-1252; files made here in UTF-8.
// These helpers tell the two apart without guessing beyond that.

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(const QByteArray& bytes);

// Windows-1252: Latin-1 except for 0x80..0x9F; the five bytes the code page
// leaves undefined map to the C1 control of the same value.
QString decodeWindows1252(const QByteArray& bytes);

// A UTF-8 byte-order mark is dropped; the rest is read as UTF-8 when it is
// valid UTF-8, else as Windows-1252.
QString decodeUtf8OrWindows1252(const QByteArray& bytes);
