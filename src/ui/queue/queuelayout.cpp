#include "ui/queue/queuelayout.h"

#include <algorithm>

namespace halyard {

QueueLayout::QueueLayout(int dividerHeight, int overscan)
    : m_divider(dividerHeight)
    , m_overscan(overscan)
{
}

void QueueLayout::setHeights(QList<int> heights)
{
    m_heights = std::move(heights);
    m_tops.resize(m_heights.size() + 1);
    m_validTops = 1;
}

void QueueLayout::setHeight(int row, int height)
{
    if (m_heights.at(row) == height)
        return;
    m_heights[row] = height;
    m_validTops = std::min(m_validTops, row + 1);
}

void QueueLayout::setTrailing(int height)
{
    m_trailing = height;
}

// Tops are summed lazily: a layout pass measures the rows in view one by one, each moving every
// top below it, and reads the tops only once it is done.
void QueueLayout::updateTops(int to) const
{
    for (int row = m_validTops; row <= to; ++row)
        m_tops[row] = m_tops[row - 1] + m_heights[row - 1] + m_divider;
    m_validTops = std::max(m_validTops, to + 1);
}

int QueueLayout::top(int row) const
{
    updateTops(row);
    return m_tops.at(row);
}

int QueueLayout::maxScroll(int viewportHeight) const
{
    return std::max(0, contentHeight() - viewportHeight);
}

QueueLayout::Range QueueLayout::near(int scroll, int viewportHeight) const
{
    updateTops(rowCount());
    const auto begin = m_tops.cbegin();
    const auto rowsEnd = m_tops.cend() - 1;
    // A row is near when its bottom (divider included) passes the band's top and its top lies
    // above the band's bottom.
    const int bandTop = scroll - m_overscan;
    const int bandBottom = scroll + viewportHeight + m_overscan;
    const auto firstBelow = std::upper_bound(begin + 1, m_tops.cend(), bandTop);
    const int first = int(firstBelow - begin) - 1;
    const auto pastBand = std::lower_bound(begin, rowsEnd, bandBottom);
    const int last = std::max(first, int(pastBand - begin));
    return { std::min(first, rowCount()), last };
}

int QueueLayout::scrollToShow(int row, int scroll, int viewportHeight) const
{
    const int rowTop = top(row);
    const int rowBottom = rowTop + m_heights.at(row);
    int target = scroll;
    if (rowTop < scroll)
        target = rowTop;
    else if (rowBottom > scroll + viewportHeight)
        target = std::min(rowTop, rowBottom - viewportHeight);
    return std::clamp(target, 0, maxScroll(viewportHeight));
}

} // namespace halyard
