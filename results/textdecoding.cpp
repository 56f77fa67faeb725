#include "results/textdecoding.h"

bool isValidUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned lowest = 0;  // smallest second byte allowed
        unsigned highest = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            lowest = 0x80;
        } else if (b == 0xE0) {
            extra = 2;
            lowest = 0xA0;  // no overlong forms
        } else if (b >= 0xE1 && b <= 0xEF) {
            extra = 2;
            lowest = 0x80;
            if (b == 0xED)
                highest = 0x9F;  // no surrogates
        } else if (b == 0xF0) {
            extra = 3;
            lowest = 0x90;
        } else if (b >= 0xF1 && b <= 0xF3) {
            extra = 3;
            lowest = 0x80;
        } else if (b == 0xF4) {
            extra = 3;
            lowest = 0x80;
            highest = 0x8F;  // nothing above U+10FFFF
        } else {
            return false;
        }
        if (n - i <= extra)
            return false;
        if (p[i + 1] < lowest || p[i + 1] > highest)
            return false;
        for (int j = 2; j <= extra; ++j) {
            if ((p[i + j] & 0xC0) != 0x80)
                return false;
        }
        i += extra + 1;
    }
    return true;
}

QString decodeWindows1252(const QByteArray& bytes)
{
    // 0x80..0x9F; zero marks the five undefined bytes.
    static const char16_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
    };
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        char16_t ch = b;
        if (b >= 0x80 && b <= 0x9F && high[b - 0x80] != 0)
            ch = high[b - 0x80];
        out[i] = QChar(ch);
    }
    return text;
}

QString decodeUtf8OrWindows1252(const QByteArray& bytes)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    if (isValidUtf8(body))
        return QString::fromUtf8(body);
    return decodeWindows1252(body);
}
