// CRect, CPoint, CSize: layout-compatible with the Windows records, and their arithmetic.
#include <classlib/Classlib.h>

#include <gtest/gtest.h>

namespace {

TEST(Geometry, RectArithmetic) {
    CRect r(365, 430, 562, 462);
    EXPECT_EQ(197, r.Width());
    EXPECT_EQ(32, r.Height());
    EXPECT_EQ(CSize(197, 32), r.Size());
    EXPECT_EQ(CPoint(463, 446), r.CenterPoint());
    EXPECT_TRUE(r.PtInRect(CPoint(365, 430)));
    EXPECT_FALSE(r.PtInRect(CPoint(562, 462))); // right and bottom are outside
    r.OffsetRect(-365, -430);
    EXPECT_EQ(CRect(0, 0, 197, 32), r);
    r.InflateRect(1, 2);
    EXPECT_EQ(CRect(-1, -2, 198, 34), r);
    r.DeflateRect(1, 2, 3, 4);
    EXPECT_EQ(CRect(0, 0, 195, 30), r);
    r.TopLeft() = CPoint(10, 10);
    EXPECT_EQ(CRect(10, 10, 195, 30), r);
    r.MoveToXY(0, 0);
    EXPECT_EQ(CRect(0, 0, 185, 20), r);

    CRect inverted(10, 10, 0, 0);
    EXPECT_TRUE(inverted.IsRectEmpty());
    inverted.NormalizeRect();
    EXPECT_EQ(CRect(0, 0, 10, 10), inverted);
    EXPECT_TRUE(CRect().IsRectNull());

    CRect both;
    EXPECT_TRUE(both.IntersectRect(CRect(0, 0, 10, 10), CRect(5, 5, 20, 20)));
    EXPECT_EQ(CRect(5, 5, 10, 10), both);
    EXPECT_FALSE(both.IntersectRect(CRect(0, 0, 1, 1), CRect(5, 5, 6, 6)));
    EXPECT_TRUE(both.UnionRect(CRect(0, 0, 1, 1), CRect(5, 5, 6, 6)));
    EXPECT_EQ(CRect(0, 0, 6, 6), both);
}

TEST(Geometry, PointsAndSizesCombine) {
    CPoint p(3, 4);
    p += CSize(1, 1);
    EXPECT_EQ(CPoint(4, 5), p);
    EXPECT_EQ(CSize(2, 3), CPoint(5, 7) - CPoint(3, 4));
    EXPECT_EQ(CPoint(6, 8), p + CPoint(2, 3));
    const RECT raw = CRect(CPoint(1, 2), CSize(3, 4));
    EXPECT_EQ(4, raw.right);
    EXPECT_EQ(6, raw.bottom);
}

} // namespace
