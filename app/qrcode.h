#pragma once

#include <QImage>
#include <QString>

// A QR code of `text` (error correction M) as a black-on-white image with
// the quiet zone of four modules around it, each module `scale` pixels;
// a null image when the text does not fit a code.
QImage qrCodeImage(const QString& text, int scale);
