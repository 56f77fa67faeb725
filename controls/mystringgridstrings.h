#pragma once

#include <QString>
#include <QStringList>

class QObject;
class TMyStringGrid;

// A view of one row or one column of a string grid, handed out by
// TMyStringGrid::Rows and ::Cols. Reads and writes go to the cells; the
// number of entries is the grid's, so inserting or deleting through a view
// is an error ("Cannot insert or delete rows from grid").
class TMyStringGridStrings
{
public:
    TMyStringGridStrings(TMyStringGrid* grid, int index, bool isRow);

    int Count() const;
    QString Strings(int index) const;
    void SetStrings(int index, const QString& text);
    QObject* Objects(int index) const;
    void SetObjects(int index, QObject* object);
    QString operator[](int index) const { return Strings(index); }

    // Writes into the first empty cell (an empty text is stored as " ") and
    // returns its index, or −1 when every cell is taken.
    int Add(const QString& text);
    int AddObject(const QString& text, QObject* object);
    void Clear();
    void Insert(int index, const QString& text);
    void Delete(int index);
    // Copies texts and objects position by position, up to the shorter length.
    void Assign(const QStringList& source);
    void Assign(const TMyStringGridStrings& source);
    QStringList toStringList() const;
    int IndexOf(const QString& text) const;  // ignoring letter case, −1 when absent

    int index() const { return m_index; }
    bool isRow() const { return m_isRow; }

private:
    int col(int i) const { return m_isRow ? i : m_index; }
    int row(int i) const { return m_isRow ? m_index : i; }

    TMyStringGrid* m_grid;
    int m_index;
    bool m_isRow;
};
