// The colour bar control offscreen, driven by real mouse events: dragging a boundary (with its
// guide line), Ctrl to spread the bands on both sides, selecting a band, and the cursor over a
// boundary.
#include "analysis/gui/ColorbarWidget.h"

#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace lumora::test {
namespace {

using analysis::TColorBar;
using analysis::TColorBarWidget;

// The 12-band bar, 120 pixels high (boundary i at position i × 100000 div 12: y 0, 9, 19, 30,
// 39, 49, 60, ...), shown, with its events counted.
struct TBarFixture {
    TColorBarWidget Bar;
    int Spreads = 0, Selects = 0;
    std::vector<std::pair<int, int>> Changing; // index, position

    TBarFixture() {
        Bar.setFixedSize(40, 120);
        TColorBar& b = Bar.Bar();
        b.OnChangeSpread = [this] { ++Spreads; };
        b.OnChangeSelect = [this] { ++Selects; };
        b.OnChangingBar = [this](int index, double, int position) {
            Changing.emplace_back(index, position);
            return position;
        };
        Bar.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Bar));
    }
    std::vector<int> Positions() const {
        std::vector<int> out;
        for (int i = 0; i < Bar.Bar().Count(); ++i)
            out.push_back(Bar.Bar().Entry(i).Position);
        return out;
    }
    QRgb Pixel(int x, int y) { return Bar.grab().toImage().pixel(x, y); }
    void Press(int y, Qt::KeyboardModifiers keys = {}) {
        QTest::mousePress(&Bar, Qt::LeftButton, keys, QPoint(20, y));
    }
    void Move(int y) { QTest::mouseMove(&Bar, QPoint(20, y)); }
    void Release(int y, Qt::KeyboardModifiers keys = {}) {
        QTest::mouseRelease(&Bar, Qt::LeftButton, keys, QPoint(20, y));
    }
};

TEST(ColorBarWidget, ADragMovesTheBoundaryUnderAnInvertedGuideAndEndsWithOneSpreadEvent) {
    TBarFixture f;
    std::vector<int> expected = f.Positions();
    ASSERT_EQ(f.Bar.Bar().BoundaryY(6, 120), 60);
    const QRgb green = f.Pixel(20, 55); // band 6 of the 12-colour table
    EXPECT_EQ(green, qRgb(0, 128, 0));
    f.Press(61); // within a pixel of boundary 6
    EXPECT_EQ(f.Bar.Dragging(), 6);
    f.Move(55);
    EXPECT_EQ(f.Bar.GuideY(), 55);
    EXPECT_EQ(f.Pixel(20, 55), qRgb(255, 127, 255)); // the guide inverts the band under it
    EXPECT_EQ(f.Pixel(20, 53), green);
    ASSERT_FALSE(f.Changing.empty());
    EXPECT_EQ(f.Changing.back(), std::make_pair(6, 55 * 100000 / 120));
    EXPECT_EQ(f.Spreads, 0); // not while dragging
    EXPECT_EQ(f.Positions(), expected);
    f.Release(55);
    expected[6] = 45833;
    EXPECT_EQ(f.Positions(), expected);
    EXPECT_EQ(f.Spreads, 1);
    EXPECT_EQ(f.Selects, 0);
    EXPECT_EQ(f.Bar.Dragging(), -1);
    EXPECT_FALSE(f.Bar.GuideY());
    EXPECT_EQ(f.Pixel(20, 55), qRgb(0, 128, 128)); // no guide; band 7 now begins at y 54
    // Past the bottom of the control the boundary goes to the bottom, not beyond.
    f.Press(30);
    f.Move(500);
    f.Release(500);
    EXPECT_EQ(f.Bar.Bar().Entry(3).Position, 100000);
    for (int i = 4; i < 13; ++i)
        EXPECT_LE(f.Bar.Bar().Entry(i).Position, 100000) << i;
    EXPECT_EQ(f.Spreads, 2);
}

TEST(ColorBarWidget, TheChangingEventDecidesWhereTheDraggedBoundaryGoes) {
    TBarFixture f;
    f.Bar.Bar().OnChangingBar = [](int, double, int) { return 30000; };
    f.Press(60);
    f.Move(52);
    EXPECT_EQ(f.Bar.GuideY(), 36); // the guide shows where the boundary will go
    f.Release(52);
    EXPECT_EQ(f.Bar.Bar().Entry(6).Position, 30000);
}

TEST(ColorBarWidget, CtrlOnReleaseSpreadsTheBandsEvenlyOnBothSides) {
    TBarFixture f;
    f.Press(60);
    f.Move(30);
    f.Release(30, Qt::ControlModifier);
    const std::vector<int> expected = {0,     4166,  8333,  12500, 16666, 20833, 25000,
                                       37500, 50000, 62500, 75000, 87500, 100000};
    EXPECT_EQ(f.Positions(), expected);
    EXPECT_EQ(f.Spreads, 1);
}

TEST(ColorBarWidget, APressBetweenBoundariesSelectsThatBand) {
    TBarFixture f;
    EXPECT_EQ(f.Bar.Bar().Selected(), 1);
    const std::vector<int> before = f.Positions();
    f.Press(25);
    f.Release(25);
    EXPECT_EQ(f.Bar.Bar().Selected(), 3);
    EXPECT_EQ(f.Selects, 1);
    EXPECT_EQ(f.Spreads, 0);
    EXPECT_EQ(f.Positions(), before);
    f.Press(27); // the same band again: no new selection
    EXPECT_EQ(f.Selects, 1);
    // Next to a boundary that cannot be dragged, a press selects.
    f.Bar.Bar().Adjustable = false;
    f.Press(31);
    f.Release(31);
    EXPECT_EQ(f.Bar.Bar().Selected(), 4);
    EXPECT_EQ(f.Selects, 2);
    EXPECT_EQ(f.Positions(), before);
}

TEST(ColorBarWidget, TheCursorShowsTheResizeArrowOverADraggableBoundary) {
    TBarFixture f;
    f.Move(61);
    EXPECT_EQ(f.Bar.cursor().shape(), Qt::SizeVerCursor);
    f.Move(65);
    EXPECT_EQ(f.Bar.cursor().shape(), Qt::ArrowCursor);
    f.Move(0);
    EXPECT_EQ(f.Bar.cursor().shape(), Qt::SizeVerCursor);
    f.Bar.Bar().AdjustEnds = false; // the ends stay where they are
    f.Move(1);
    EXPECT_EQ(f.Bar.cursor().shape(), Qt::ArrowCursor);
    f.Move(10);
    EXPECT_EQ(f.Bar.cursor().shape(), Qt::SizeVerCursor);
    f.Bar.Bar().Adjustable = false;
    f.Move(11);
    EXPECT_EQ(f.Bar.cursor().shape(), Qt::ArrowCursor);
}

} // namespace
} // namespace lumora::test
