#include "controls/stringsparselist.h"

TStringSparseList::TStringSparseList(TSPAQuantum quantum) : m_list(quantum) {}

QString TStringSparseList::Strings(int index) const
{
    const Item* item = m_list.get(index);
    return item ? item->text : QString();
}

QObject* TStringSparseList::Objects(int index) const
{
    const Item* item = m_list.get(index);
    return item ? item->object : nullptr;
}

void TStringSparseList::SetStrings(int index, const QString& text)
{
    store(index, text, Objects(index));
}

void TStringSparseList::SetObjects(int index, QObject* object)
{
    store(index, Strings(index), object);
}

void TStringSparseList::store(int index, const QString& text, QObject* object)
{
    if (text.isEmpty() && !object) {
        m_list.put(index, nullptr);  // frees the slot: empty cells cost nothing
        return;
    }
    if (Item* item = m_list.get(index)) {
        item->text = text;
        item->object = object;
        return;
    }
    m_list.put(index, std::make_unique<Item>(Item{text, object}));
}
