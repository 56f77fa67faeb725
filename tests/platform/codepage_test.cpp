#include "platform/codepage.h"

#include "support/testnames.h"

#include <gtest/gtest.h>

#include <random>

using platform::decodeCodePage;

namespace {

struct DecodeCase {
    int codePage;
    QByteArray bytes;
    const char16_t* expected;
};

void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << "code page " << c.codePage << ", bytes " << c.bytes.toHex(' ').toStdString();
}

class CodePageTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(CodePageTest, Decodes)
{
    const DecodeCase& c = GetParam();
    EXPECT_EQ(decodeCodePage(c.bytes, c.codePage), QString::fromUtf16(c.expected))
        << "code page " << c.codePage << " bytes " << c.bytes.toHex().constData();
}

INSTANTIATE_TEST_SUITE_P(Table, CodePageTest, ::testing::Values(
    DecodeCase{1252, "Gr\xfc\xdf" "e \x80", u"Grüße €"},
    // The five bytes Windows leaves undefined in 1252 pass through as controls.
    DecodeCase{1252, "\x81\x8d\x8f\x90\x9d\x9f", u"\u0081\u008d\u008f\u0090\u009d\u0178"},
    DecodeCase{1250, "\x8a\xe8", u"Šč"},
    DecodeCase{1250, "a\x98" "b", u"a\ufffdb"},  // undefined in 1250: replaced
    DecodeCase{1251, "\xcf\xf0\xe8\xe2\xe5\xf2 \xb9", u"Привет №"},
    DecodeCase{1253, "\xc1\xe2", u"Αβ"},
    DecodeCase{1254, "\xd0\xfe", u"Ğş"},
    DecodeCase{1255, "\xf9\xec\xe5\xed", u"שלום"},
    DecodeCase{1255, "\xf9\xd1", u"\ufb2a"},  // shin with its dot: one composed character
    // A letter before a byte the code page lacks stays, and before its replacement.
    DecodeCase{1255, "\xe8\xff", u"\u05d8\ufffd"},
    DecodeCase{1255, "\xf9\xd1\xd9\xe0", u"\ufb2a\ufffd\u05d0"},
    DecodeCase{1256, "\xc7\xe1", u"ال"},
    DecodeCase{1257, "\xc0\xe0", u"Ąą"},
    DecodeCase{874, "\xa1\xa2", u"กข"},
    DecodeCase{10000, "\x8a\x80", u"äÄ"},
    DecodeCase{932, "\x93\xfa\x96\x7b", u"日本"},
    DecodeCase{932, "A\x93", u"A\ufffd"},          // cut off after a lead byte
    DecodeCase{932, "\x81\x20" "B", u"\ufffd B"},  // lead byte with a bad trail byte
    DecodeCase{949, "\xb0\xa1", u"가"},
    DecodeCase{1361, "\x88\x61", u"가"},
    DecodeCase{936, "\xd6\xd0\xce\xc4", u"中文"},
    DecodeCase{950, "\xa4\xa4\xa4\xe5", u"中文"},
    DecodeCase{1252, QByteArray(), u""},
    DecodeCase{4711, "\xfc\x80", u"ü€"}),  // unknown code page: read as 1252
    testnames::caseNames([](const DecodeCase& c) {
        return "Cp" + std::to_string(c.codePage) + "_" + (c.bytes.isEmpty() ? "NoBytes" : c.bytes.toHex().toStdString());
    }));

TEST(CodePage, EveryKnownCodePageHasAConverter)
{
    for (int cp : {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1361, 10000}) {
        ASSERT_NE(platform::iconvNameForCodePage(cp), nullptr) << cp;
        // "A" decodes to "A" only when iconv really has the converter.
        EXPECT_EQ(decodeCodePage("A", cp), QStringLiteral("A")) << cp;
    }
    EXPECT_EQ(platform::iconvNameForCodePage(65001), nullptr);
}

// Random bytes of a megabyte in every code page: the conversion always ends,
// keeps the text in order and never yields fewer characters than one per two
// bytes (double-byte code pages) or one per byte (single-byte ones).
TEST(CodePage, ArbitraryBytesNeverFail)
{
    std::mt19937 random(4711);
    QByteArray bytes(1 << 20, Qt::Uninitialized);
    for (char& b : bytes)
        b = char(random() & 0xFF);
    bytes.append("END");
    for (int cp : {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1361, 10000}) {
        const QString text = decodeCodePage(bytes, cp);
        // 1255 joins a letter and its point into one character, so it may
        // shrink like the double-byte code pages.
        const bool shrinks = cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 1361 || cp == 1255;
        EXPECT_GE(text.size(), shrinks ? bytes.size() / 2 : bytes.size()) << cp;
        EXPECT_TRUE(text.endsWith(QStringLiteral("END"))) << cp;
    }
    // 1252 maps every byte to exactly one character: nothing is replaced.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = decodeCodePage(all, 1252);
    EXPECT_EQ(text.size(), 256);
    EXPECT_FALSE(text.contains(QChar(0xFFFD)));
}

}  // namespace
