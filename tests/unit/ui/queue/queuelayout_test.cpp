#include "ui/queue/queuelayout.h"

#include <gtest/gtest.h>

namespace halyard {
namespace {

TEST(QueueLayout, RowsNearTheViewAndTheContentHeight)
{
    // Divider 1, overscan 10: a row of height h takes h + 1.
    const struct {
        const char* name;
        QList<int> heights;
        int trailing, scroll, view;
        QueueLayout::Range near;
        int content;
    } cases[] = {
        { "empty", {}, 0, 0, 100, { 0, 0 }, 0 },
        { "empty with the update row", {}, 40, 0, 100, { 0, 0 }, 40 },
        { "one row", { 40 }, 0, 0, 100, { 0, 1 }, 41 },
        { "rows below the band are left out", QList<int>(10, 29), 0, 0, 50, { 0, 2 }, 300 },
        { "a divider inside the band keeps its row", QList<int>(10, 29), 0, 60, 50, { 1, 4 }, 300 },
        { "rows taller than the view", { 500, 500, 500 }, 0, 600, 100, { 1, 2 }, 1503 },
        { "scrolled to the end", QList<int>(100, 30), 20, 2820, 300, { 90, 100 }, 3120 },
        { "scrolled past the rows to the trailing part", QList<int>(3, 30), 200, 150, 50, { 3, 3 },
            293 },
    };
    for (const auto& c : cases) {
        QueueLayout layout(1, 10);
        layout.setHeights(c.heights);
        layout.setTrailing(c.trailing);
        EXPECT_EQ(layout.near(c.scroll, c.view), c.near) << c.name;
        EXPECT_EQ(layout.contentHeight(), c.content) << c.name;
        EXPECT_EQ(layout.maxScroll(c.view), std::max(0, c.content - c.view)) << c.name;
    }
}

TEST(QueueLayout, MeasuredAndRemovedRowsMoveTheRowsBelow)
{
    QueueLayout layout(1, 0);
    layout.setHeights(QList<int>(5, 19));
    ASSERT_EQ(layout.top(4), 80);
    ASSERT_EQ(layout.near(40, 20), (QueueLayout::Range { 2, 3 }));
    // An estimate replaced by a taller measurement after the tops were read.
    layout.setHeight(1, 59);
    EXPECT_EQ(layout.top(1), 20);
    EXPECT_EQ(layout.top(4), 120);
    EXPECT_EQ(layout.near(40, 20), (QueueLayout::Range { 1, 2 }));
    layout.setHeight(0, 9);
    EXPECT_EQ(layout.top(4), 110);
    // The same queue without its second row.
    layout.setHeights({ 9, 19, 19, 19 });
    EXPECT_EQ(layout.top(3), 50);
    EXPECT_EQ(layout.contentHeight(), 70);
    EXPECT_EQ(layout.near(40, 20), (QueueLayout::Range { 2, 4 }));
}

TEST(QueueLayout, ScrollToShowMovesAsLittleAsItCan)
{
    // Rows of 100 (101 with the divider) in a view of 250; the content is 1010 high.
    // What the case is, the row to show, the scroll before and after.
    const std::tuple<const char*, int, int, int> cases[] = {
        { "already in view", 1, 50, 50 },
        { "above the view: its top", 1, 300, 101 },
        { "below the view: its bottom", 5, 0, 355 },
        { "never past the end", 9, 900, 760 },
        { "the first row", 0, 500, 0 },
    };
    QueueLayout layout(1, 0);
    layout.setHeights(QList<int>(10, 100));
    for (const auto& [name, row, scroll, expected] : cases)
        EXPECT_EQ(layout.scrollToShow(row, scroll, 250), expected) << name;
    // A row taller than the view shows its top.
    layout.setHeight(5, 400);
    EXPECT_EQ(layout.scrollToShow(5, 0, 250), 505);
}

} // namespace
} // namespace halyard
