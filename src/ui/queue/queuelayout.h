#pragma once

#include <QList>

namespace halyard {

// Where the queue's rows lie in its scrolled content: each row's height in, each row's top, the
// rows near the view and the scroll that brings a row into view out. Every row is followed by a
// divider; whatever comes after the rows (the update row) is `trailing`. Plain numbers, so the
// view's geometry can be checked without widgets.
class QueueLayout {
public:
    // The rows [first, last) that are in view or within `overscan` of it.
    struct Range {
        int first = 0;
        int last = 0;

        bool contains(int row) const { return row >= first && row < last; }
        friend bool operator==(const Range&, const Range&) = default;
    };

    explicit QueueLayout(int dividerHeight = 1, int overscan = 120);

    void setHeights(QList<int> heights);
    // A row measured again.
    void setHeight(int row, int height);
    void setTrailing(int height);

    int rowCount() const { return int(m_heights.size()); }
    int height(int row) const { return m_heights.at(row); }
    // The row's top in content coordinates; rowCount() gives where the trailing part starts.
    int top(int row) const;
    int contentHeight() const { return top(rowCount()) + m_trailing; }
    int maxScroll(int viewportHeight) const;
    // The rows that need widgets with the view scrolled to `scroll`.
    Range near(int scroll, int viewportHeight) const;
    // The scroll that shows as much of `row` as fits, moving as little as it can.
    int scrollToShow(int row, int scroll, int viewportHeight) const;

private:
    void updateTops(int to) const;

    int m_divider;
    int m_overscan;
    int m_trailing = 0;
    QList<int> m_heights;
    // m_tops[i] is row i's top; m_tops.size() == rowCount() + 1. Valid up to m_validTops.
    mutable QList<int> m_tops { 0 };
    mutable int m_validTops = 1;
};

} // namespace halyard
