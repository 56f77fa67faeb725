#include "controls/gridaxis.h"

#include "controls/griderror.h"

#include <algorithm>
#include <cstdlib>

GridAxis::GridAxis(int count, int fixedCount, int defaultSize)
    : m_count(count), m_fixedCount(fixedCount), m_defaultSize(defaultSize), m_first(fixedCount)
{
}

void GridAxis::setCount(int count)
{
    m_count = count;
    if (m_fixedCount >= m_count)
        m_fixedCount = m_count - 1;
    // The sizes follow at once, so a size is never read beyond them.
    if (!m_sizes.empty())
        m_sizes.resize(std::size_t(m_count), m_defaultSize);
}

void GridAxis::setFixedCount(int fixedCount)
{
    m_fixedCount = fixedCount;
    m_first = std::max(m_first, m_fixedCount);
}

void GridAxis::setDefaultSize(int size)
{
    m_defaultSize = size;
    m_sizes.clear();
}

int GridAxis::size(int index) const
{
    if (!contains(index) || m_sizes.empty())
        return m_defaultSize;
    return m_sizes[std::size_t(index)];
}

bool GridAxis::setSize(int index, int size)
{
    if (!contains(index))
        throw EGridError(EGridError::indexOutOfRange());
    if (size == this->size(index))
        return false;
    if (m_sizes.empty())
        m_sizes.assign(std::size_t(m_count), m_defaultSize);
    m_sizes[std::size_t(index)] = size;
    return true;
}

int GridAxis::extent(int index) const
{
    const int s = size(index);
    return s < 0 ? 0 : s + m_lineWidth;
}

int GridAxis::fixedExtent() const
{
    int length = 0;
    for (int i = 0; i < m_fixedCount; ++i)
        length += extent(i);
    return length;
}

int GridAxis::clampFirst(int first, int view) const
{
    return std::clamp(first, m_fixedCount, std::max(m_fixedCount, lastFirst(view)));
}

int GridAxis::lastFirst(int view) const
{
    int space = view - fixedExtent();
    int i = m_count - 1;
    while (i >= m_fixedCount && space - extent(i) >= 0) {
        space -= extent(i);
        --i;
    }
    return std::clamp(i + 1, m_fixedCount, std::max(m_fixedCount, m_count - 1));
}

int GridAxis::visibleCount(int view) const
{
    int space = view - fixedExtent();
    int n = 0;
    for (int i = m_first; i < m_count && space - extent(i) >= 0; ++i) {
        space -= extent(i);
        ++n;
    }
    return n;
}

int GridAxis::lastVisible(int view) const
{
    int last = m_first;
    for (int pos = fixedExtent(); last < m_count; ++last) {
        pos += extent(last);
        if (pos >= view)
            break;
    }
    return std::min(last, m_count - 1);
}

int GridAxis::firstShowing(int index, int view) const
{
    if (index < m_fixedCount)
        return m_first;
    if (index < m_first)
        return index;
    // Walk back from the index for as long as the earlier ones still fit.
    int space = view - fixedExtent() - extent(index);
    int first = index;
    while (first > m_fixedCount && space - extent(first - 1) >= 0) {
        space -= extent(first - 1);
        --first;
    }
    return std::max(m_first, first);
}

int GridAxis::position(int index, int view) const
{
    if (!contains(index))
        return -1;
    int pos = 0;
    if (index < m_fixedCount) {
        for (int i = 0; i < index; ++i)
            pos += extent(i);
        return pos;
    }
    if (index < m_first)
        return -1;
    pos = fixedExtent();
    for (int i = m_first; i < index; ++i) {
        pos += extent(i);
        if (pos >= view)
            return -1;
    }
    return pos;
}

int GridAxis::indexAt(int pos, int view) const
{
    if (pos < 0 || pos >= view)
        return -1;
    int edge = 0;
    for (int i = 0; i < m_fixedCount; ++i) {
        edge += extent(i);
        if (pos < edge)
            return i;
    }
    for (int i = m_first; i < m_count; ++i) {
        edge += extent(i);
        if (pos < edge)
            return i;
    }
    return -1;
}

GridAxis::Border GridAxis::borderAt(int pos, int tolerance, int view) const
{
    for (int i = 0; i < m_count; ++i) {
        const int start = position(i, view);
        if (start < 0) {
            // Past the view every later index is scrolled out as well.
            if (i >= m_fixedCount && i >= m_first)
                break;
            continue;
        }
        const int s = size(i);
        if (s >= 0 && std::abs(pos - (start + s)) <= tolerance)
            return Border{i, start};
    }
    return Border{};
}

void GridAxis::move(int from, int to)
{
    if (m_sizes.empty())
        return;
    const int s = m_sizes[std::size_t(from)];
    m_sizes.erase(m_sizes.begin() + from);
    m_sizes.insert(m_sizes.begin() + to, s);
}

int GridAxis::movedIndex(int index, int from, int to)
{
    if (index == from)
        return to;
    if (from < to && index > from && index <= to)
        return index - 1;
    if (to < from && index >= to && index < from)
        return index + 1;
    return index;
}
