// The help file: a compiled archive that may be damaged anywhere (read
// through chmlib, probed in a child process first) and the table of contents
// it carries, loose HTML from any help compiler.
#include "app/chmfile.h"
#include "app/chmlibrary.h"
#include "app/chmsitemap.h"
#include "support/check.h"
#include "support/scratch.h"

#include <QFile>
#include <QGuiApplication>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

QString pick(FuzzedDataProvider& input, const QString& alphabet, int maxLength)
{
    QString text;
    const int n = input.ConsumeIntegralInRange<int>(1, maxLength);
    for (int i = 0; i < n; ++i)
        text += alphabet[input.ConsumeIntegralInRange<int>(0, int(alphabet.size()) - 1)];
    return text;
}

// Texts a help author writes as names: words, single blanks and the
// characters HTML must escape.
QString nameText(FuzzedDataProvider& input)
{
    return pick(input, QStringLiteral("abcXYZ09 &<>\"'äé€"), 10).simplified();
}

QString pathText(FuzzedDataProvider& input)
{
    QString text = pick(input, QStringLiteral("abz09/._-"), 12);
    while (text.startsWith(QLatin1Char('/')))
        text.remove(0, 1);
    return text.isEmpty() ? QStringLiteral("x.html") : text;
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&#39;"));
}

// A table of contents as help compilers write it reads back item by item.
void checkSitemapRoundTrip(FuzzedDataProvider& input)
{
    std::vector<ChmTocItem> items;
    QString html = QStringLiteral("<HTML><BODY>\n<UL>\n");
    int level = 0;
    const int n = input.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < n; ++i) {
        const int next = input.ConsumeIntegralInRange<int>(0, level + 1);
        for (; level < next; ++level)
            html += QStringLiteral("<UL>\n");
        for (; level > next; --level)
            html += QStringLiteral("</UL>\n");
        ChmTocItem item{nameText(input), pathText(input), level};
        if (item.name.isEmpty())
            item.name = item.local;
        html += QStringLiteral("<LI> <OBJECT type=\"text/sitemap\">\n<param name=\"Name\" value=\"")
                + escaped(item.name) + QStringLiteral("\">\n<param name=\"Local\" value=\"")
                + escaped(item.local) + QStringLiteral("\">\n</OBJECT>\n");
        items.push_back(item);
    }
    html += QStringLiteral("</UL>\n</BODY></HTML>\n");
    const std::vector<ChmTocItem> back = parseChmSitemap(html.toUtf8());
    FUZZ_CHECK(back.size() == items.size(), "a table of contents reads back with other items");
    for (size_t i = 0; i < items.size(); ++i) {
        FUZZ_CHECK(back[i].name == items[i].name, "an entry of the contents reads back with another name");
        FUZZ_CHECK(back[i].local == items[i].local, "an entry of the contents reads back with another page");
        FUZZ_CHECK(back[i].level == items[i].level, "an entry of the contents reads back at another level");
    }
}

void checkArchive(const QByteArray& bytes)
{
    static ChmLibrary library;
    static const bool loaded = library.load();
    if (!loaded)
        return;
    const QString path = scratchFolder() + QStringLiteral("/Fuzz.chm");
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the scratch help file cannot be written");
        file.write(bytes);
    }
    const std::unique_ptr<ChmFile> chm = ChmFile::open(library, path);
    if (!chm)
        return;
    const QStringList objects = chm->objects();
    for (const QString& object : objects) {
        FUZZ_CHECK(chm->contains(object), "a listed object is not found");
        if (const auto data = chm->read(object))
            FUZZ_CHECK(data->size() <= ChmFile::kMaxObjectBytes, "an object larger than allowed was read");
    }
    if (const auto contents = chm->read(chm->contentsFile())) {
        for (const ChmTocItem& item : parseChmSitemap(*contents))
            FUZZ_CHECK(item.level >= 0 && !item.name.isEmpty(), "an entry without name or with a negative level");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Entities in the contents are resolved by Qt's HTML reader, which needs
    // the GUI side of Qt.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (bytes.startsWith("ITSF")) {
        checkArchive(bytes);
        return 0;
    }
    for (const ChmTocItem& item : parseChmSitemap(bytes)) {
        FUZZ_CHECK(item.level >= 0, "an entry of the contents at a negative level");
        FUZZ_CHECK(!item.name.isEmpty(), "an entry of the contents without a name");
        FUZZ_CHECK(!item.local.startsWith(QLatin1Char('/')), "a page path that is not inside the archive");
    }
    FuzzedDataProvider input(data, size);
    checkSitemapRoundTrip(input);
    return 0;
}
