#include "platform/settingsstore.h"

#include "platform/atomicwrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <limits>

namespace platform {

namespace {

bool usableBaseName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

std::optional<quint32> parseDword(QStringView text)
{
    text = text.trimmed();
    bool ok = false;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QStringView digits = text.mid(2);
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        const quint32 value = digits.toUInt(&ok, 16);
        return ok ? std::optional<quint32>(value) : std::nullopt;
    }
    // Decimal, for hand-edited files; a negative number keeps its bit pattern
    // as the registry editor would store it.
    const qlonglong value = text.toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<qint32>::min()
        || value > qlonglong(std::numeric_limits<quint32>::max()))
        return std::nullopt;
    return quint32(value);
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

std::optional<QString> parseQuoted(QStringView text)
{
    text = text.trimmed();
    if (text.size() < 2 || !text.startsWith(QLatin1Char('"')) || !text.endsWith(QLatin1Char('"')))
        return std::nullopt;
    text = text.mid(1, text.size() - 2);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"'))
            return std::nullopt;  // an unescaped quote inside: not our format
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case '\\': out += QLatin1Char('\\'); break;
        case '"': out += QLatin1Char('"'); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'x': {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int hi = hexDigit(text[i + 1]);
            const int lo = hexDigit(text[i + 2]);
            if (hi < 0 || lo < 0)
                return std::nullopt;
            out += QChar(char16_t(hi * 16 + lo));
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

// A name that parse() reads back as itself: one line, no '=', no blanks at
// either end, not read as a comment.
bool representableName(const QString& name)
{
    return !name.isEmpty() && name == name.trimmed() && !name.contains(QLatin1Char('='))
        && !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r'))
        && !name.startsWith(QLatin1Char('#')) && !name.startsWith(QLatin1Char(';'));
}

QString quote(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("\\x%1").arg(int(c.unicode()), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

}  // namespace

SettingsStore::SettingsStore(QString baseName, QString configRoot)
    : m_baseName(std::move(baseName))
{
    if (configRoot.isEmpty())
        configRoot = defaultConfigRoot();
    if (usableBaseName(m_baseName) && !configRoot.isEmpty())
        m_filePath = QDir(configRoot).filePath(QStringLiteral("Kronwerk/") + m_baseName);
}

QString SettingsStore::defaultConfigRoot()
{
    // GenericConfigLocation honours $XDG_CONFIG_HOME and falls back to ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

SettingsStore::LoadState SettingsStore::load()
{
    m_values.clear();
    m_open = false;
    if (m_filePath.isEmpty())
        return LoadState::NoKey;
    const QFileInfo info(m_filePath);
    if (!info.exists())
        return LoadState::NoKey;
    if (!info.isFile() || info.size() > kMaxFileSize)
        return LoadState::Unreadable;
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return LoadState::Unreadable;
    // Read one byte more than allowed so a file that grew meanwhile is caught.
    const QByteArray data = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError || data.size() > kMaxFileSize)
        return LoadState::Unreadable;
    if (!parse(data)) {
        m_values.clear();
        return LoadState::Unparseable;
    }
    m_open = true;
    return LoadState::Loaded;
}

bool SettingsStore::parse(const QByteArray& bytes)
{
    m_values.clear();
    const QString text = QString::fromUtf8(bytes);
    bool any = false;
    bool onlyComments = true;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))
            || trimmed.startsWith(QLatin1Char(';')))
            continue;
        onlyComments = false;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString name = line.left(eq).trimmed().toString();
        if (name.isEmpty())
            continue;
        const QStringView value = line.mid(eq + 1).trimmed();
        Value& v = slot(name);
        v.name = name;
        v.kind = Kind::Unknown;
        v.dword = 0;
        v.text.clear();
        if (value.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            if (const auto d = parseDword(value.mid(6))) {
                v.kind = Kind::Dword;
                v.dword = *d;
            }
        } else if (value.startsWith(QLatin1String("sz:"), Qt::CaseInsensitive)) {
            if (auto s = parseQuoted(value.mid(3))) {
                v.kind = Kind::String;
                v.text = std::move(*s);
            }
        }
        any = any || v.kind != Kind::Unknown;
    }
    // An empty file or one with comments only is a key without values; a file
    // where nothing at all makes sense is treated as no key.
    return any || onlyComments;
}

const SettingsStore::Value* SettingsStore::find(const QString& name) const
{
    for (const Value& v : m_values)
        if (v.name.compare(name, Qt::CaseInsensitive) == 0)
            return &v;
    return nullptr;
}

SettingsStore::Value& SettingsStore::slot(const QString& name)
{
    for (Value& v : m_values)
        if (v.name.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    m_values.push_back(Value{name, Kind::Unknown, 0, {}});
    return m_values.back();
}

bool SettingsStore::contains(const QString& name) const
{
    return find(name) != nullptr;
}

std::optional<SettingsStore::Kind> SettingsStore::kind(const QString& name) const
{
    const Value* v = find(name);
    return v ? std::optional<Kind>(v->kind) : std::nullopt;
}

std::optional<quint32> SettingsStore::readDword(const QString& name) const
{
    return readDword(name, nullptr);
}

std::optional<quint32> SettingsStore::readDword(const QString& name, ReadError* error) const
{
    const Value* v = find(name);
    if (!v || v->kind != Kind::Dword) {
        if (error)
            *error = v ? ReadError::WrongType : ReadError::Missing;
        return std::nullopt;
    }
    return v->dword;
}

std::optional<QString> SettingsStore::readString(const QString& name, ReadError* error) const
{
    const Value* v = find(name);
    if (!v || v->kind != Kind::String) {
        if (error)
            *error = v ? ReadError::WrongType : ReadError::Missing;
        return std::nullopt;
    }
    return v->text;
}

void SettingsStore::writeDword(const QString& name, quint32 value)
{
    Value& v = slot(name);
    v.kind = Kind::Dword;
    v.dword = value;
    v.text.clear();
}

void SettingsStore::writeString(const QString& name, const QString& value)
{
    Value& v = slot(name);
    v.kind = Kind::String;
    v.dword = 0;
    v.text = value;
}

void SettingsStore::remove(const QString& name)
{
    std::erase_if(m_values, [&](const Value& v) {
        return v.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

QStringList SettingsStore::names() const
{
    QStringList out;
    for (const Value& v : m_values)
        out << v.name;
    return out;
}

QByteArray SettingsStore::serialize() const
{
    // Names and values are joined, never put through placeholders: a name
    // holding "%1" would otherwise take the value's place.
    QString heading = m_baseName;
    heading.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    QString out = QStringLiteral("# Kronwerk settings: ") + heading + QLatin1Char('\n');
    for (const Value& v : m_values) {
        // A value whose type could not be read is not written back: there is
        // nothing meaningful to keep. Nor is a name the file cannot hold: it
        // would come back as another name, or as the name of another value.
        if (!representableName(v.name))
            continue;
        if (v.kind == Kind::Dword)
            out += v.name + QLatin1String("=dword:0x")
                   + QString::number(v.dword, 16).rightJustified(8, QLatin1Char('0')) + QLatin1Char('\n');
        else if (v.kind == Kind::String)
            out += v.name + QLatin1String("=sz:") + quote(v.text) + QLatin1Char('\n');
    }
    return out.toUtf8();
}

QString SettingsStore::save()
{
    if (m_filePath.isEmpty())
        return QStringLiteral("no usable program name for the settings key");
    const QFileInfo info(m_filePath);
    if (!QDir().mkpath(info.absolutePath()))
        return QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
    if (info.isDir())
        return QStringLiteral("%1 is a folder").arg(m_filePath);
    const WriteResult written = writeFileAtomically(m_filePath, serialize());
    if (!written.ok)
        return written.error;
    m_open = true;
    return {};
}

}  // namespace platform
