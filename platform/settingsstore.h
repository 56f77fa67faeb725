#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace platform {

// The per-user settings key of one program: a small text file
// <config root>/Kronwerk/<program base name>, where the config root is the XDG
// config folder ($XDG_CONFIG_HOME, usually ~/.config). Two copies of the
// program under different base names therefore keep separate settings.
//
// Values are typed like registry values so that "missing or not a DWORD" keeps
// its meaning. The file is UTF-8, one value per line:
//
//     # Kronwerk settings
//     Port=dword:0x00000003
//     Lang=sz:"Englisch"
//
// A DWORD is "dword:" and 0x plus up to eight hex digits (or a decimal number
// from -2147483648 to 4294967295, negative ones kept as their 32-bit pattern).
// A string is "sz:" and a double-quoted text in which \\, \", \n, \r, \t and
// \xHH escape themselves. Names compare without regard to case, like registry
// value names; the last line of a name wins. Blank lines and lines starting
// with '#' or ';' are comments. A line with a name but an unreadable value
// keeps the name with a value of unknown type (it reads as "wrong type");
// a line without "=" is ignored. A file in which no line can be read at all,
// or one larger than kMaxFileSize, counts as no key. A name that a line
// cannot hold ("=" or a line break in it, blanks at its ends, a leading '#'
// or ';') is not saved.
//
// Reading never creates anything; save() creates the folder and replaces the
// file atomically (temporary file in the same folder, flushed, then renamed),
// so a crash or a full disk never leaves a half-written settings file.
class SettingsStore {
public:
    enum class Kind { Dword, String, Unknown };
    enum class ReadError { Missing, WrongType };
    enum class LoadState {
        NoKey,        // no file (or no usable base name)
        Loaded,       // read; values available
        Unparseable,  // present but nothing in it could be read: counts as no key
        Unreadable,   // present but could not be read (a folder, no permission, too large)
    };

    static constexpr qint64 kMaxFileSize = 1 << 20;

    // configRoot empty: the XDG config folder of the user. Tests pass a
    // temporary folder. Nothing is read until load().
    explicit SettingsStore(QString baseName, QString configRoot = {});

    static QString defaultConfigRoot();

    // The file that holds this key; empty when the base name cannot name a file
    // (empty, ".", "..", or containing a '/').
    QString filePath() const { return m_filePath; }
    QString baseName() const { return m_baseName; }

    // Opens the key without creating it and reads all values. Values read
    // earlier are dropped first.
    LoadState load();
    // True when load() found a usable key (the registry's "opened").
    bool isOpen() const { return m_open; }

    bool contains(const QString& name) const;
    std::optional<Kind> kind(const QString& name) const;

    // nullopt when missing or not a DWORD.
    std::optional<quint32> readDword(const QString& name) const;
    // The same, telling "missing" from "of another type".
    std::optional<quint32> readDword(const QString& name, ReadError* error) const;
    std::optional<QString> readString(const QString& name, ReadError* error = nullptr) const;

    void writeDword(const QString& name, quint32 value);
    void writeString(const QString& name, const QString& value);
    void remove(const QString& name);
    QStringList names() const;

    // Writes every value to disk at once. Returns an empty string on success,
    // otherwise the reason; on failure the file on disk is left as it was.
    QString save();

    // The text save() writes; parse() reads such a text. Exposed for tests.
    QByteArray serialize() const;
    bool parse(const QByteArray& text);

private:
    struct Value {
        QString name;
        Kind kind = Kind::Unknown;
        quint32 dword = 0;
        QString text;
    };

    const Value* find(const QString& name) const;
    Value& slot(const QString& name);

    QString m_baseName;
    QString m_filePath;
    bool m_open = false;
    std::vector<Value> m_values;  // in the order first seen or written
};

}  // namespace platform
