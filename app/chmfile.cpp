#include "app/chmfile.h"

#include "app/chmlibrary.h"
#include "platform/isolatedcall.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

QString decodeName(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter))
        text = QString::fromLatin1(bytes);
    return text;
}

QString absoluteObjectPath(QString path)
{
    if (!path.startsWith(QLatin1Char('/')))
        path.prepend(QLatin1Char('/'));
    return path;
}

// Looks an object up by the bytes its name was decoded from (decodeName):
// UTF-8, or the single bytes of an archive compiled on Windows, whose names
// are in its code page. Either way a listed name finds its object.
bool resolveObject(const ChmLibrary& library, chmFile* handle, const QString& objectPath, chmUnitInfo* unit)
{
    const QString path = absoluteObjectPath(objectPath);
    std::vector<QByteArray> names{path.toUtf8()};
    const bool singleBytes = std::all_of(path.begin(), path.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    if (singleBytes && path.toLatin1() != names.front())
        names.push_back(path.toLatin1());
    for (const QByteArray& name : names) {
        if (name.size() <= CHM_MAX_PATHLEN
            && library.resolveObject(handle, name.constData(), unit) == CHM_RESOLVE_SUCCESS)
            return true;
    }
    return false;
}

struct ProbeContext {
    const ChmLibrary* library;
};

// Reads every object the way the help window later will, so that a file
// chmlib cannot cope with shows up here, in the child process.
bool readEverything(const ChmLibrary& library, const QByteArray& path)
{
    chmFile* handle = library.open(path.constData());
    if (!handle)
        return false;
    ProbeContext context{&library};
    auto readOne = [](chmFile* h, chmUnitInfo* unit, void* c) -> int {
        auto* ctx = static_cast<ProbeContext*>(c);
        if (unit->length > LONGUINT64(ChmFile::kMaxObjectBytes))
            return CHM_ENUMERATOR_CONTINUE;
        std::vector<unsigned char> buffer(std::size_t(unit->length) + 1);
        LONGUINT64 done = 0;
        while (done < unit->length) {
            const LONGINT64 got = ctx->library->retrieveObject(h, unit, buffer.data() + done, done,
                                                               LONGINT64(unit->length - done));
            if (got <= 0)
                break;
            done += LONGUINT64(got);
        }
        chmUnitInfo again{};
        ctx->library->resolveObject(h, unit->path, &again);
        return CHM_ENUMERATOR_CONTINUE;
    };
    library.enumerate(handle, CHM_ENUMERATE_ALL, readOne, &context);
    chmUnitInfo missing{};
    library.resolveObject(handle, "/#SYSTEM", &missing);
    library.resolveObject(handle, "/zz-not-in-the-archive.html", &missing);
    library.close(handle);
    return true;
}

} // namespace

bool ChmFile::isReadable(const ChmLibrary& library, const QString& path)
{
    if (!library.isLoaded() || !QFileInfo(path).isFile())
        return false;
    const QByteArray name = QFile::encodeName(path);
    return runIsolated([&] { return readEverything(library, name); }, kProbeTimeoutMs)
        == IsolatedResult::Succeeded;
}

std::unique_ptr<ChmFile> ChmFile::open(const ChmLibrary& library, const QString& path)
{
    if (!isReadable(library, path))
        return nullptr;
    chmFile* handle = library.open(QFile::encodeName(path).constData());
    if (!handle)
        return nullptr;
    std::unique_ptr<ChmFile> file(new ChmFile(library, handle, path));
    file->readSystemRecord();
    return file;
}

ChmFile::ChmFile(const ChmLibrary& library, chmFile* handle, QString path)
    : m_library(library)
    , m_handle(handle)
    , m_path(std::move(path))
{
}

ChmFile::~ChmFile()
{
    if (m_handle && m_library.isLoaded())
        m_library.close(m_handle);
}

std::optional<QByteArray> ChmFile::read(const QString& objectPath) const
{
    chmUnitInfo unit{};
    if (!resolveObject(m_library, m_handle, objectPath, &unit))
        return std::nullopt;
    if (unit.length > LONGUINT64(kMaxObjectBytes))
        return std::nullopt;

    QByteArray data(qsizetype(unit.length), Qt::Uninitialized);
    LONGUINT64 done = 0;
    while (done < unit.length) {
        const LONGINT64 got = m_library.retrieveObject(
            m_handle, &unit, reinterpret_cast<unsigned char*>(data.data()) + done, done,
            LONGINT64(unit.length - done));
        if (got <= 0)
            return std::nullopt;  // damaged archive: better no page than half a page
        done += LONGUINT64(got);
    }
    return data;
}

bool ChmFile::contains(const QString& objectPath) const
{
    chmUnitInfo unit{};
    return resolveObject(m_library, m_handle, objectPath, &unit);
}

QStringList ChmFile::objects() const
{
    QStringList names;
    auto collect = [](chmFile*, chmUnitInfo* unit, void* context) -> int {
        const auto length = ::strnlen(unit->path, CHM_MAX_PATHLEN);
        static_cast<QStringList*>(context)->append(decodeName(QByteArray(unit->path, qsizetype(length))));
        return CHM_ENUMERATOR_CONTINUE;
    };
    m_library.enumerate(m_handle, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collect, &names);
    return names;
}

void ChmFile::readSystemRecord()
{
    // #SYSTEM: a 32-bit version, then entries of a 16-bit code, a 16-bit
    // length and that many bytes (NUL-terminated strings for the codes read here).
    const auto data = read(QStringLiteral("/#SYSTEM"));
    if (!data)
        return;
    const auto* bytes = reinterpret_cast<const uchar*>(data->constData());
    qsizetype pos = 4;
    while (pos + 4 <= data->size()) {
        const quint16 code = qFromLittleEndian<quint16>(bytes + pos);
        const quint16 length = qFromLittleEndian<quint16>(bytes + pos + 2);
        pos += 4;
        if (pos + length > data->size())
            break;
        QByteArray value(data->constData() + pos, length);
        const qsizetype nul = value.indexOf('\0');
        if (nul >= 0)
            value.truncate(nul);
        switch (code) {
        case 0: m_contentsFile = decodeName(value); break;
        case 2: m_defaultTopic = decodeName(value); break;
        case 3: m_title = decodeName(value); break;
        default: break;
        }
        pos += length;
    }
}
