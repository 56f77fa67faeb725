#pragma once

#include <QImage>
#include <QString>

#include <optional>

// Pictures larger than this are refused from their header alone, before any
// pixel memory is taken: a logo never needs them, and a forged header must
// not make the program allocate gigabytes.
constexpr int kMaxJpegSide = 10000;
constexpr qint64 kMaxJpegPixels = 64'000'000;
// Files larger than this are not read at all.
constexpr qint64 kMaxJpegFileBytes = 128LL * 1024 * 1024;

// Decodes a JPEG file with libjpeg. Every error or warning of the decoder
// (a file cut off inside its image data decodes with a warning and grey fill)
// counts as failure: the result is empty and *error, when given, says why.
std::optional<QImage> loadJpegFile(const QString& path, QString* error = nullptr);

// The same for JPEG data already in memory.
std::optional<QImage> decodeJpeg(const QByteArray& data, QString* error = nullptr);
