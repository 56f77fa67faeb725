#pragma once

#include <QString>
#include <stdexcept>

// Raised by the grid family when an operation cannot be carried out; the grid
// is left as it was. Event handlers inside the grid catch it, so it never
// crosses Qt's event dispatch.
class EGridError : public std::runtime_error
{
public:
    explicit EGridError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    QString message() const { return m_message; }

    static QString indexOutOfRange() { return QStringLiteral("Grid index out of range"); }
    static QString tooManyDeleted() { return QStringLiteral("Too many rows or columns deleted"); }
    static QString gridTooLarge() { return QStringLiteral("Grid too large for operation"); }
    static QString fixedColTooBig() { return QStringLiteral("Fixed column count must be less than column count"); }
    static QString fixedRowTooBig() { return QStringLiteral("Fixed row count must be less than row count"); }
    static QString cannotInsertDelete() { return QStringLiteral("Cannot insert or delete rows from grid"); }
    static QString listIndexError(int index)
    {
        return QStringLiteral("List index out of bounds (%1)").arg(index);
    }

private:
    QString m_message;
};
