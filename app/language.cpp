#include "app/language.h"

#include "platform/codepage.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMetaProperty>
#include <QTextDocument>
#include <QWidget>

const CharSetEntry& charSetEntry(int index)
{
    return index >= 0 && index < int(kCharSets.size()) ? kCharSets[size_t(index)] : kCharSets[0];
}

QString Language::filePath(const QString& programDir, const QString& name)
{
    QString dir = programDir;
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir + name + QLatin1String(".lng");
}

Language::LoadResult Language::load(const QString& programDir, const QString& name)
{
    return loadFile(filePath(programDir, name));
}

Language::LoadResult Language::loadFile(const QString& path)
{
    if (!QFileInfo::exists(path))
        return LoadResult::NotFound;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return LoadResult::Unreadable;
    // Read everything first: a file that fails half-way leaves the table as
    // it was rather than half replaced.
    auto lines = readLines(file, kEntries, kMaxLineBytes);
    if (!lines)
        return LoadResult::Unreadable;
    for (size_t i = 0; i < lines->size(); ++i)
        m_lines[i + 1] = std::move((*lines)[i]);
    m_loaded = true;
    return LoadResult::Loaded;
}

std::optional<std::vector<QByteArray>> Language::readLines(QIODevice& device, int maxLines,
                                                           qsizetype maxLineBytes, qint64 maxBytes)
{
    std::vector<QByteArray> lines;
    QByteArray current;
    bool inLine = false;     // bytes seen since the last line end
    bool afterCR = false;    // an LF right after a CR belongs to the same line end
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    while (int(lines.size()) < maxLines && total < maxBytes) {
        const qint64 n = device.read(chunk.data(), qMin<qint64>(chunk.size(), maxBytes - total));
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        total += n;
        for (qint64 i = 0; i < n && int(lines.size()) < maxLines; ++i) {
            const char c = chunk[qsizetype(i)];
            if (c == '\n' && afterCR) {
                afterCR = false;
                continue;
            }
            afterCR = c == '\r';
            if (c == '\r' || c == '\n') {
                lines.push_back(std::move(current));
                current = QByteArray();
                inLine = false;
                continue;
            }
            inLine = true;
            if (current.size() < maxLineBytes)
                current.append(c);
        }
    }
    if (inLine && int(lines.size()) < maxLines)
        lines.push_back(std::move(current));
    return lines;
}

QByteArray Language::rawLine(int line) const
{
    return line >= 1 && line <= kEntries ? m_lines[size_t(line)] : QByteArray();
}

QString Language::text(int line, int charSet) const
{
    return platform::decodeCodePage(rawLine(line), charSetEntry(charSet).codePage);
}

namespace {

QWidget* windowOf(const LanguageWindows& windows, LanguageWindow which)
{
    switch (which) {
    case LanguageWindow::Main: return windows.main;
    case LanguageWindow::Settings: return windows.settings;
    case LanguageWindow::Info: return windows.info;
    case LanguageWindow::None: break;
    }
    return nullptr;
}

QWidget* targetOf(const LanguageWindows& windows, const LanguageLine& line)
{
    QWidget* window = windowOf(windows, line.window);
    if (!window || !*line.objectName)
        return window;
    return window->findChild<QWidget*>(QLatin1String(line.objectName));
}

void giveCharSet(QWidget* widget, int value)
{
    if (widget)
        widget->setProperty(kCharSetProperty, value);
}

// The file's texts are plain text, never markup: a line such as "<b>" shows
// as it stands, and no picture named in a line is ever loaded.
void setCaption(QWidget* w, const QString& text)
{
    if (w->isWindow()) {
        w->setWindowTitle(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
        // Captions were sized for the German words; a longer word must not
        // be cut ("Мин" for "Мин."). Labels in a layout are sized by it.
        const QWidget* parent = label->parentWidget();
        if (!(parent && parent->layout() && parent->layout()->indexOf(label) >= 0)
            && label->sizeHint().width() > label->width())
            label->resize(label->sizeHint().width(), label->height());
    } else {
        // Our own controls publish their caption as a "text" property.
        const QMetaObject* meta = w->metaObject();
        const int index = meta->indexOfProperty("text");
        if (index >= 0 && meta->property(index).isWritable())
            w->setProperty("text", text);
    }
}

void setHint(QWidget* w, const QString& text)
{
    // Tool tips guess at rich text; escaping makes such a line show literally.
    w->setToolTip(Qt::mightBeRichText(text) ? QStringLiteral("<p style='white-space:pre'>")
                                                  + text.toHtmlEscaped() + QStringLiteral("</p>")
                                            : text);
}

}  // namespace

std::optional<LanguageTexts> Language::apply(const LanguageWindows& windows, int charSet) const
{
    const int value = charSetEntry(charSet).value;
    giveCharSet(windows.main, value);
    if (windows.main)
        giveCharSet(windows.main->findChild<QWidget*>(QStringLiteral("Memo1")), value);

    if (!m_loaded) {
        // Nothing loaded yet: applying the empty table would blank every
        // caption, so only the fonts learn the character set.
        for (const LanguageLine& line : kLanguageLines)
            if (line.font || line.action == LanguageAction::WindowFont)
                giveCharSet(targetOf(windows, line), value);
        return std::nullopt;
    }

    LanguageTexts texts;
    for (const LanguageLine& line : kLanguageLines) {
        const QString text = this->text(line.line, charSet);
        switch (line.action) {
        case LanguageAction::ZeitCaption: texts.zeitCaption = text; continue;
        case LanguageAction::CloseQuestion: texts.closeQuestion = text; continue;
        case LanguageAction::ClearQuestion: texts.clearQuestion = text; continue;
        case LanguageAction::WindowFont:
        case LanguageAction::Hint:
        case LanguageAction::Caption: break;
        }
        QWidget* target = targetOf(windows, line);
        if (!target)
            continue;
        if (line.action == LanguageAction::Hint)
            setHint(target, text);
        else if (line.action == LanguageAction::Caption)
            setCaption(target, text);
        if (line.font || line.action == LanguageAction::WindowFont)
            giveCharSet(target, value);
    }
    return texts;
}
