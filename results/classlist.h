#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <optional>

// The class list ("Klassen.txt" or a list the operator opens) and the 21
// class pages it names, as plain data. The window mirrors ClassBook into the
// class box, the page tabs and the track length field.

constexpr int kClassPages = 21;

struct ClassEntry {
    qint32 trackLength = 0;  // metres of one lap
    QString name;

    friend bool operator==(const ClassEntry&, const ClassEntry&) = default;
};

// Parses a class list. Lines end in CR LF, LF or CR. A line is a whole number
// starting in the first column (optional sign), a blank, and the name; blanks
// around both are ignored. Lines that do not fit are skipped, and only the
// first 21 classes count. The bytes are UTF-8 (a byte-order mark is dropped)
// or, when they are not valid UTF-8, Windows-1252.
QVector<ClassEntry> parseClassList(const QByteArray& bytes);

// Reads and parses a class list file. Empty when the file cannot be read: it
// is missing, not a regular file (a folder, a device), or larger than
// kMaxClassListBytes, which no real list comes near.
std::optional<QVector<ClassEntry>> readClassList(const QString& path);
constexpr qint64 kMaxClassListBytes = 16 * 1024 * 1024;

// The open command reads only files with the extension ".txt", in any case.
bool isClassListFileName(const QString& path);

// Names, captions and track lengths of the 21 pages.
struct ClassBook {
    QStringList names;  // the class box entries; entry i names page i
    std::array<QString, kClassPages> captions;
    std::array<qint32, kClassPages> trackLengths{};
    int activePage = 0;

    // Pages captioned "Klasse 1" to "Klasse 21", all track lengths 0.
    ClassBook();

    // Takes a class list: the box holds its names; page k - 1 gets the caption
    // and track length of class k. Page 0 falls back to "Klasse 1"; pages
    // beyond the list keep their captions and track lengths; the result
    // tables are not touched.
    void load(const QVector<ClassEntry>& entries);

    // The entry named `text`, ignoring letter case, or -1.
    int indexOf(const QString& text) const;

    bool isFull() const { return names.size() >= kClassPages; }

    // The question asked before a typed name becomes a new class.
    static QString addQuestion(const QString& text);

    // Adds a typed name as the next class after the operator said yes, makes
    // its page active and returns it, or -1 when all 21 pages are named. A new
    // page without a track length takes the previous page's.
    int addClass(const QString& text);
};
