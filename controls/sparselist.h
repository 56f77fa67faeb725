#pragma once

#include "controls/griderror.h"
#include "controls/sparsepointerarray.h"

#include <memory>

// A list over a sparse array: indices never written read as empty, and
// insertion and deletion shift the items behind. A negative index is an error.
template <class T>
class TSparseList
{
public:
    explicit TSparseList(TSPAQuantum quantum) : m_array(quantum) {}

    // One past the highest used index.
    int count() const { return m_array.highBound() + 1; }
    int sectionSize() const { return m_array.sectionSize(); }

    T* get(int index) const
    {
        check(index);
        return m_array.get(index);
    }

    void put(int index, std::unique_ptr<T> item)
    {
        check(index);
        m_array.put(index, std::move(item));
    }

    std::unique_ptr<T> take(int index)
    {
        check(index);
        return m_array.take(index);
    }

    // Removes the item at index; the items behind move one place forward.
    void remove(int index)
    {
        check(index);
        const int last = m_array.highBound();
        m_array.take(index);
        for (int i = index; i < last; ++i)
            m_array.put(i, m_array.take(i + 1));
    }

    // Opens an empty slot at index; the items from there move one place back.
    void insert(int index, std::unique_ptr<T> item)
    {
        check(index);
        for (int i = m_array.highBound(); i >= index; --i)
            m_array.put(i + 1, m_array.take(i));
        m_array.put(index, std::move(item));
    }

    void exchange(int a, int b)
    {
        check(a);
        check(b);
        if (a == b)
            return;
        auto itemA = m_array.take(a);
        auto itemB = m_array.take(b);
        m_array.put(a, std::move(itemB));
        m_array.put(b, std::move(itemA));
    }

    // Moves the item at from to position to, shifting the items between.
    void move(int from, int to)
    {
        check(from);
        check(to);
        if (from == to)
            return;
        auto item = m_array.take(from);
        if (from < to) {
            for (int i = from; i < to; ++i)
                m_array.put(i, m_array.take(i + 1));
        } else {
            for (int i = from; i > to; --i)
                m_array.put(i, m_array.take(i - 1));
        }
        m_array.put(to, std::move(item));
    }

    void clear() { m_array.clear(); }

    template <class F>
    void forAll(F&& f) const { m_array.forAll(std::forward<F>(f)); }

private:
    static void check(int index)
    {
        if (index < 0)
            throw EGridError(EGridError::listIndexError(index));
    }

    TSparsePointerArray<T> m_array;
};
