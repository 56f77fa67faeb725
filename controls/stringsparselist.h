#pragma once

#include "controls/sparselist.h"

#include <QString>

class QObject;

// One row of a string grid: a sparse list by column of a text and an object
// reference (not owned). An item with an empty text and no object is not kept.
class TStringSparseList
{
public:
    explicit TStringSparseList(TSPAQuantum quantum);

    int count() const { return m_list.count(); }
    int sectionSize() const { return m_list.sectionSize(); }

    QString Strings(int index) const;
    QObject* Objects(int index) const;
    void SetStrings(int index, const QString& text);
    void SetObjects(int index, QObject* object);

    void remove(int index) { m_list.remove(index); }
    void insert(int index) { m_list.insert(index, nullptr); }
    void exchange(int a, int b) { m_list.exchange(a, b); }
    void move(int from, int to) { m_list.move(from, to); }
    void clear() { m_list.clear(); }
    bool isEmpty() const { return m_list.count() == 0; }

private:
    struct Item {
        QString text;
        QObject* object = nullptr;
    };
    void store(int index, const QString& text, QObject* object);

    TSparseList<Item> m_list;
};
