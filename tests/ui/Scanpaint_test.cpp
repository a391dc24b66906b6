#include "ui/Scanpaint.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>

namespace {

constexpr QRgb White = 0xFFFFFFFFu;
constexpr QRgb Red = 0xFFFF0000u;
constexpr QRgb Grey = 0xFFD4D4D4u;

QImage Blank(QSize logical, qreal ratio) {
    QImage image(static_cast<int>(std::floor(logical.width() * ratio + 0.5)),
                 static_cast<int>(std::floor(logical.height() * ratio + 0.5)),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(White);
    return image;
}

TEST(ScanPainter, FillsTheSamePixelsAsQPainterAtWholeRatios) {
    const graph::VLine vlines[] = {{0, 0, 30}, {10, 5, 6}, {39, 12, 30}, {20, -4, 50}};
    const graph::HLine hlines[] = {{0, 0, 40}, {15, 3, 37}, {29, -10, 100}};
    for (const qreal ratio : {1.0, 2.0, 3.0}) {
        QImage scanned = Blank({40, 30}, ratio);
        QImage painted = scanned.copy();
        TScanPainter scan(scanned);
        QPainter painter(&painted);
        for (const graph::VLine& line : vlines) {
            scan.Fill(line, Red);
            painter.fillRect(QRect(line.x, line.top, 1, line.bottom - line.top), QColor(Red));
        }
        for (const graph::HLine& line : hlines) {
            scan.Fill(line, Grey);
            painter.fillRect(QRect(line.left, line.y, line.right - line.left, 1), QColor(Grey));
        }
        scan.Fill(5, 7, 9, 11, Red);
        painter.fillRect(QRect(5, 7, 4, 4), QColor(Red));
        painter.end();
        EXPECT_EQ(scanned, painted) << ratio;
    }
}

TEST(ScanPainter, LogicalColumnsTileThePhysicalOnesAtAnyRatio) {
    for (const qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5}) {
        QImage image = Blank({40, 10}, ratio);
        TScanPainter scan(image);
        // Every other logical column red: the runs alternate with no gap and no overlap.
        for (int x = 0; x < 40; x += 2) scan.Fill(graph::VLine{x, 0, 10}, Red);
        int expectedEdge = 0;
        for (int x = 0; x < 40; ++x) {
            const int left = static_cast<int>(std::floor(x * ratio + 0.5));
            const int right = static_cast<int>(std::floor((x + 1) * ratio + 0.5));
            EXPECT_EQ(left, expectedEdge);
            EXPECT_GE(right - left, 1) << "a logical pixel never vanishes at " << ratio;
            for (int px = left; px < right; ++px) {
                EXPECT_EQ(image.pixel(px, image.height() - 1), x % 2 == 0 ? Red : White)
                    << ratio << " x " << x;
            }
            expectedEdge = right;
        }
        EXPECT_EQ(expectedEdge, image.width());
    }
}

TEST(ScanPainter, NotXorMatchesTheRasterOpAndUndoesItself) {
    const QRgb pens[] = {0xFF000000u, 0xFF2B2B2Bu, 0xFF00FF00u};
    for (const qreal ratio : {1.0, 2.0}) {
        QImage original = Blank({20, 20}, ratio);
        {
            TScanPainter scan(original);
            scan.Fill(graph::HLine{8, 0, 20}, Grey);
            scan.Fill(graph::VLine{6, 0, 20}, Red);
        }
        for (const QRgb pen : pens) {
            QImage scanned = original.copy();
            QImage painted = original.copy();
            const graph::VLine line{6, 2, 18};
            TScanPainter(scanned).NotXor(line, pen);
            {
                QPainter painter(&painted);
                painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
                painter.fillRect(TScanPainter::RectOf(line), QColor(pen));
            }
            EXPECT_EQ(scanned, painted) << ratio << " pen " << std::hex << pen;
            EXPECT_NE(scanned, original);
            TScanPainter(scanned).NotXor(line, pen);
            EXPECT_EQ(scanned, original);
        }
    }
}

TEST(ScanPainter, ClipsToTheImageAndLeavesShallowCopiesAlone) {
    QImage image = Blank({10, 10}, 1.0);
    const QImage copy = image;  // shares the pixels until written
    TScanPainter scan(image);
    scan.Fill(-5, -5, 100, 3, Red);
    scan.Fill(graph::VLine{12, 0, 10}, Red);  // right of the image: nothing
    EXPECT_EQ(image.pixel(0, 0), Red);
    EXPECT_EQ(image.pixel(9, 2), Red);
    EXPECT_EQ(image.pixel(9, 3), White);
    EXPECT_EQ(copy.pixel(0, 0), White);
}

}  // namespace
