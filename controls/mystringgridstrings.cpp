#include "controls/mystringgridstrings.h"

#include "controls/griderror.h"
#include "controls/mystringgrid.h"

#include <algorithm>

TMyStringGridStrings::TMyStringGridStrings(TMyStringGrid* grid, int index, bool isRow)
    : m_grid(grid), m_index(index), m_isRow(isRow)
{
}

int TMyStringGridStrings::Count() const
{
    return m_isRow ? m_grid->ColCount() : m_grid->RowCount();
}

QString TMyStringGridStrings::Strings(int index) const
{
    return m_grid->Cells(col(index), row(index));
}

void TMyStringGridStrings::SetStrings(int index, const QString& text)
{
    m_grid->SetCells(col(index), row(index), text);
}

QObject* TMyStringGridStrings::Objects(int index) const
{
    return m_grid->Objects(col(index), row(index));
}

void TMyStringGridStrings::SetObjects(int index, QObject* object)
{
    m_grid->SetObjects(col(index), row(index), object);
}

int TMyStringGridStrings::Add(const QString& text)
{
    return AddObject(text, nullptr);
}

int TMyStringGridStrings::AddObject(const QString& text, QObject* object)
{
    for (int i = 0; i < Count(); ++i) {
        if (Strings(i).isEmpty() && !Objects(i)) {
            // A blank keeps the cell taken, so the next Add goes on.
            SetStrings(i, text.isEmpty() ? QStringLiteral(" ") : text);
            if (object)
                SetObjects(i, object);
            return i;
        }
    }
    return -1;
}

void TMyStringGridStrings::Clear()
{
    m_grid->beginStringUpdate();
    for (int i = 0; i < Count(); ++i) {
        SetStrings(i, QString());
        SetObjects(i, nullptr);
    }
    m_grid->endStringUpdate();
}

void TMyStringGridStrings::Insert(int, const QString&)
{
    throw EGridError(EGridError::cannotInsertDelete());
}

void TMyStringGridStrings::Delete(int)
{
    throw EGridError(EGridError::cannotInsertDelete());
}

void TMyStringGridStrings::Assign(const QStringList& source)
{
    m_grid->beginStringUpdate();
    const int n = std::min(Count(), int(source.size()));
    for (int i = 0; i < n; ++i) {
        SetStrings(i, source.at(i));
        SetObjects(i, nullptr);
    }
    m_grid->endStringUpdate();
}

void TMyStringGridStrings::Assign(const TMyStringGridStrings& source)
{
    // Read first: the source may be a view of the same grid.
    const QStringList texts = source.toStringList();
    std::vector<QObject*> objects;
    for (int i = 0; i < source.Count(); ++i)
        objects.push_back(source.Objects(i));
    m_grid->beginStringUpdate();
    const int n = std::min(Count(), int(texts.size()));
    for (int i = 0; i < n; ++i) {
        SetStrings(i, texts.at(i));
        SetObjects(i, objects[std::size_t(i)]);
    }
    m_grid->endStringUpdate();
}

QStringList TMyStringGridStrings::toStringList() const
{
    QStringList list;
    const int n = Count();
    list.reserve(n);
    for (int i = 0; i < n; ++i)
        list.append(Strings(i));
    return list;
}

int TMyStringGridStrings::IndexOf(const QString& text) const
{
    for (int i = 0; i < Count(); ++i)
        if (Strings(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
