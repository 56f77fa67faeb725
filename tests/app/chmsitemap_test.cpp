#include "app/chmsitemap.h"

#include "support/testnames.h"

#include <gtest/gtest.h>

namespace {

struct Item {
    const char* name;
    const char* local;
    int level;
};

struct SitemapCase {
    const char* label;
    QByteArray html;
    std::vector<Item> expected;
};

void PrintTo(const SitemapCase& c, std::ostream* os)
{
    *os << c.label;
}

class SitemapTest : public ::testing::TestWithParam<SitemapCase> {};

TEST_P(SitemapTest, Parses)
{
    const auto& c = GetParam();
    const auto items = parseChmSitemap(c.html);
    ASSERT_EQ(items.size(), c.expected.size()) << c.label;
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].name, QString::fromUtf8(c.expected[i].name)) << c.label << " #" << i;
        EXPECT_EQ(items[i].local, QString::fromUtf8(c.expected[i].local)) << c.label << " #" << i;
        EXPECT_EQ(items[i].level, c.expected[i].level) << c.label << " #" << i;
    }
}

const char* const kWorkshop = R"(<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">
<HTML><HEAD><meta name="GENERATOR" content="editor"></HEAD><BODY>
<OBJECT type="text/site properties"><param name="Window Styles" value="0x800025"></OBJECT>
<UL>
  <LI> <OBJECT type="text/sitemap"><param name="Name" value="Einführung"><param name="Local" value="index.html"></OBJECT>
  <LI> <OBJECT type="text/sitemap"><param name="Name" value="Rennen"></OBJECT>
  <UL>
    <LI> <OBJECT type="text/sitemap"><param name="Name" value="Tasten"><param name="Local" value="keys.html#f5"><param name="ImageNumber" value="11"></OBJECT>
    <UL>
      <LI> <OBJECT type="text/sitemap"><param name="Name" value="Lichtschranke"><param name="Local" value="sub/ls.html"></OBJECT>
    </UL>
  </UL>
  <LI> <OBJECT type="text/sitemap"><param name="Name" value="Dateien"><param name="Local" value="files.html"></OBJECT>
</UL>
</BODY></HTML>)";

INSTANTIATE_TEST_SUITE_P(Table, SitemapTest,
    ::testing::Values(
        SitemapCase{"nested lists, headings without page, site properties skipped", kWorkshop,
                    {{"Einführung", "index.html", 0},
                     {"Rennen", "", 0},
                     {"Tasten", "keys.html#f5", 1},
                     {"Lichtschranke", "sub/ls.html", 2},
                     {"Dateien", "files.html", 0}}},
        SitemapCase{"lower case, single and missing quotes, entities",
                    R"(<ul><li><object type='text/sitemap'><param name=name value='Zeit &amp; Ergebnis'>)"
                    R"(<param name=local value=zeit.html></object>)"
                    R"(<li><object type="text/sitemap"><param name="Name" value="&Auml;nderungen &#x2013; 2.5">)"
                    R"(<param name="Local" value="news.html"></object></ul>)",
                    {{"Zeit & Ergebnis", "zeit.html", 0}, {"Änderungen – 2.5", "news.html", 0}}},
        SitemapCase{"merged file prefix and leading slash dropped; first Name and Local win",
                    R"(<ul><li><object type="text/sitemap"><param name="Name" value="A">)"
                    R"(<param name="Name" value="B"><param name="Local" value="other.chm::/x/a.html">)"
                    R"(<param name="Local" value="b.html"></object>)"
                    R"(<li><object type="text/sitemap"><param name="Local" value="/c.html"></object></ul>)",
                    {{"A", "x/a.html", 0}, {"c.html", "c.html", 0}}},
        SitemapCase{"Windows-1252 bytes without a declared charset",
                    QByteArray("<ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Pr\xFC"
                               "fung\"><param name=\"Local\" value=\"p.html\"></object></ul>"),
                    {{"Prüfung", "p.html", 0}}},
        SitemapCase{"unbalanced closing lists never go below the top", 
                    R"(</ul></ul><li><object type="text/sitemap"><param name="Name" value="X"></object>)",
                    {{"X", "", 0}}},
        SitemapCase{"empty objects and an object never closed are dropped",
                    R"(<ul><li><object type="text/sitemap"></object><li><object type="text/sitemap">)"
                    R"(<param name="Name" value="offen">)",
                    {}},
        SitemapCase{"not a sitemap at all", QByteArray("\x00\x01garbage<<<>>>\xFF", 16), {}},
        SitemapCase{"empty", QByteArray(), {}}),
    testnames::caseNames([](const SitemapCase& c) { return c.label; }));

} // namespace
