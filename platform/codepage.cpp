#include "platform/codepage.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

struct CodePageName {
    int codePage;
    const char* iconvName;
};

// The Windows code pages behind the font character sets; glibc's names.
constexpr CodePageName kCodePages[] = {
    {874, "CP874"},       {932, "CP932"},       {936, "GBK"},         {949, "CP949"},
    {950, "CP950"},       {1250, "CP1250"},     {1251, "CP1251"},     {1252, "CP1252"},
    {1253, "CP1253"},     {1254, "CP1254"},     {1255, "CP1255"},     {1256, "CP1256"},
    {1257, "CP1257"},     {1361, "JOHAB"},      {10000, "MACINTOSH"},
};

bool undefinedIn1252(unsigned char b)
{
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

// Owns an iconv descriptor; a descriptor keeps shift state, so each
// conversion gets its own.
class Converter {
public:
    explicit Converter(const char* from) : m_cd(iconv_open("UTF-8", from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return m_cd != iconv_t(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

class Output {
public:
    explicit Output(qsizetype expected) { m_buffer.resize(expected + 16); }
    char** cursor() { return &m_cursor; }
    size_t* left() { return &m_left; }
    void start()
    {
        m_cursor = m_buffer.data() + m_used;
        m_left = size_t(m_buffer.size() - m_used);
    }
    void finish() { m_used = m_cursor - m_buffer.data(); }
    void grow()
    {
        finish();
        m_buffer.resize(m_buffer.size() * 2);
        start();
    }
    void append(const char* bytes, qsizetype n)
    {
        finish();
        if (m_buffer.size() - m_used < n)
            m_buffer.resize(m_buffer.size() * 2 + n);
        std::copy(bytes, bytes + n, m_buffer.data() + m_used);
        m_used += n;
        start();
    }
    void appendCodePoint(char16_t u)
    {
        const QByteArray utf8 = QString(QChar(u)).toUtf8();
        append(utf8.constData(), utf8.size());
    }
    QString text()
    {
        finish();
        return QString::fromUtf8(m_buffer.constData(), m_used);
    }

private:
    QByteArray m_buffer;
    qsizetype m_used = 0;
    char* m_cursor = nullptr;
    size_t m_left = 0;
};

}  // namespace

const char* iconvNameForCodePage(int codePage)
{
    for (const CodePageName& entry : kCodePages)
        if (entry.codePage == codePage)
            return entry.iconvName;
    return nullptr;
}

QString decodeCodePage(const QByteArray& bytes, int codePage)
{
    if (bytes.isEmpty())
        return {};
    const char* name = iconvNameForCodePage(codePage);
    if (!name) {
        codePage = 1252;
        name = "CP1252";
    }
    Converter converter(name);
    if (!converter.valid())
        return QString::fromLatin1(bytes);  // no such converter on this system

    // Every input byte of these code pages yields at most three UTF-8 bytes.
    Output out(bytes.size() * 3);
    out.start();
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    // Hands out what the converter still holds and resets it. Code page 1255
    // holds each letter back to join it with the points that may follow:
    // before a replacement character that letter must go out first, or it is
    // lost with the reset.
    const auto flush = [&converter, &out] {
        while (iconv(converter.get(), nullptr, nullptr, out.cursor(), out.left()) == size_t(-1)
               && errno == E2BIG)
            out.grow();
    };
    while (inLeft > 0) {
        if (iconv(converter.get(), &in, &inLeft, out.cursor(), out.left()) != size_t(-1))
            break;
        if (errno == E2BIG) {
            out.grow();
            continue;
        }
        const int error = errno;
        flush();
        if (error == EINVAL) {
            // A multi-byte character cut off by the end of the text.
            out.appendCodePoint(0xFFFD);
            break;
        }
        // EILSEQ (or anything else): replace one byte and go on after it.
        const auto b = static_cast<unsigned char>(*in);
        out.appendCodePoint(codePage == 1252 && undefinedIn1252(b) ? char16_t(b) : char16_t(0xFFFD));
        ++in;
        --inLeft;
    }
    flush();
    return out.text();
}

}  // namespace platform
