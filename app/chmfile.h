#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class ChmLibrary;
struct chmFile;

// One open compiled help file, read through chmlib. Object paths are the
// archive's own: absolute, starting with "/" ("/index.html").
class ChmFile {
public:
    // Objects larger than this are not read: a help page or picture never is,
    // and a damaged file must not make us allocate its claimed length.
    static constexpr qint64 kMaxObjectBytes = 32LL * 1024 * 1024;

    // A damaged file can crash or hang chmlib; it is tried in a child
    // process first and refused when the child does not come back cleanly.
    static constexpr int kProbeTimeoutMs = 5000;
    static bool isReadable(const ChmLibrary& library, const QString& path);

    // Null when the library is not loaded or the file is not a valid .chm
    // that chmlib can read throughout.
    static std::unique_ptr<ChmFile> open(const ChmLibrary& library, const QString& path);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    QString path() const { return m_path; }
    std::optional<QByteArray> read(const QString& objectPath) const;
    bool contains(const QString& objectPath) const;
    // Every ordinary file of the archive.
    QStringList objects() const;

    // From the archive's #SYSTEM record; empty when it has none.
    QString contentsFile() const { return m_contentsFile; }
    QString defaultTopic() const { return m_defaultTopic; }
    QString title() const { return m_title; }

private:
    ChmFile(const ChmLibrary& library, chmFile* handle, QString path);
    void readSystemRecord();

    const ChmLibrary& m_library;
    chmFile* m_handle;
    QString m_path;
    QString m_contentsFile;
    QString m_defaultTopic;
    QString m_title;
};
