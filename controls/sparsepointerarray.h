#pragma once

#include <memory>
#include <vector>

// Section size of a sparse array: 16 slots (mask 15, shift 4) suit small
// grids, 256 slots (mask 255, shift 8) large ones.
enum TSPAQuantum { SPASmall, SPALarge };

// A directory of sections, each an array of owned slots, so a mostly empty
// index range costs nothing. Remembers its highest used index and caches the
// last look-up, which is what cell-by-cell access along a row hits.
template <class T>
class TSparsePointerArray
{
public:
    explicit TSparsePointerArray(TSPAQuantum quantum)
        : m_shift(quantum == SPALarge ? 8 : 4), m_mask(quantum == SPALarge ? 255 : 15) {}

    TSparsePointerArray(const TSparsePointerArray&) = delete;
    TSparsePointerArray& operator=(const TSparsePointerArray&) = delete;

    int sectionSize() const { return m_mask + 1; }

    // Highest index holding an item, −1 when empty.
    int highBound() const { return m_highBound; }

    // The item at index (≥ 0), or nullptr.
    T* get(int index) const
    {
        if (index == m_cacheIndex)
            return m_cacheValue;
        T* value = nullptr;
        const auto section = std::size_t(index >> m_shift);
        if (index >= 0 && section < m_sections.size() && m_sections[section])
            value = (*m_sections[section])[std::size_t(index & m_mask)].get();
        m_cacheIndex = index;
        m_cacheValue = value;
        return value;
    }

    // Stores item at index (≥ 0); a null item empties the slot. The old item is freed.
    void put(int index, std::unique_ptr<T> item) { take(index); place(index, std::move(item)); }

    // Removes the item at index and hands it to the caller.
    std::unique_ptr<T> take(int index)
    {
        const auto section = std::size_t(index >> m_shift);
        if (index < 0 || section >= m_sections.size() || !m_sections[section])
            return nullptr;
        auto taken = std::move((*m_sections[section])[std::size_t(index & m_mask)]);
        if (index == m_cacheIndex)
            m_cacheValue = nullptr;
        if (taken && index == m_highBound)
            recomputeHighBound();
        return taken;
    }

    void clear()
    {
        m_sections.clear();
        m_highBound = -1;
        m_cacheIndex = -1;
        m_cacheValue = nullptr;
    }

    // Calls f(index, item) for every stored item in index order.
    template <class F>
    void forAll(F&& f) const
    {
        for (std::size_t s = 0; s < m_sections.size(); ++s) {
            if (!m_sections[s])
                continue;
            for (std::size_t i = 0; i < m_sections[s]->size(); ++i)
                if (T* item = (*m_sections[s])[i].get())
                    f(int((s << m_shift) | i), *item);
        }
    }

private:
    using Section = std::vector<std::unique_ptr<T>>;

    void place(int index, std::unique_ptr<T> item)
    {
        if (!item || index < 0)
            return;
        const auto section = std::size_t(index >> m_shift);
        if (section >= m_sections.size())
            m_sections.resize(section + 1);
        if (!m_sections[section])
            m_sections[section] = std::make_unique<Section>(std::size_t(m_mask + 1));
        (*m_sections[section])[std::size_t(index & m_mask)] = std::move(item);
        if (index > m_highBound)
            m_highBound = index;
        if (index == m_cacheIndex)
            m_cacheValue = (*m_sections[section])[std::size_t(index & m_mask)].get();
    }

    void recomputeHighBound()
    {
        m_highBound = -1;
        for (std::size_t s = m_sections.size(); s-- > 0;) {
            if (!m_sections[s])
                continue;
            for (std::size_t i = m_sections[s]->size(); i-- > 0;) {
                if ((*m_sections[s])[i]) {
                    m_highBound = int((s << m_shift) | i);
                    return;
                }
            }
            m_sections[s].reset();  // an empty section is given back
        }
    }

    int m_shift;
    int m_mask;
    std::vector<std::unique_ptr<Section>> m_sections;
    int m_highBound = -1;
    mutable int m_cacheIndex = -1;
    mutable T* m_cacheValue = nullptr;
};
