#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>
#include <cmath>

#include "traces/Graphgeometry.h"

/// Writes the chart's lines straight into the scan lines of its off-screen image: one pointer
/// per row, no QPainter state, no clipping machinery. Coordinates are logical pixels; each
/// covers the physical pixels round(x * ratio) .. round((x + 1) * ratio) - 1 of the image's
/// device pixel ratio, so a one-pixel line stays one logical pixel wide on a HiDPI screen and
/// neighbouring lines never leave a gap or overlap.
///
/// Fills are clipped to the image. Pixels are written as opaque 32-bit RGB, which is what a
/// QPainter writes into a Format_RGB32 image, so both can share one picture.
class TScanPainter {
  public:
    /// `image` must be Format_RGB32 and must outlive the painter; no other QPainter may be
    /// active on it while this one writes. Detaches the image from any shallow copy.
    explicit TScanPainter(QImage& image);

    /// Fills logical pixels left <= x < right, top <= y < bottom with `colour`.
    void Fill(int left, int top, int right, int bottom, QRgb colour);
    void Fill(const graph::VLine& line, QRgb colour) {
        Fill(line.x, line.top, line.x + 1, line.bottom, colour);
    }
    void Fill(const graph::HLine& line, QRgb colour) {
        Fill(line.left, line.y, line.right, line.y + 1, colour);
    }
    /// NOT-XORs `pen` onto the line: each pixel becomes NOT (pen XOR pixel) in its 24 colour
    /// bits. A second pass restores every pixel.
    void NotXor(const graph::VLine& line, QRgb pen);

    /// The device pixel edge of logical edge `v` at `ratio` device pixels a logical pixel: the
    /// logical pixel x covers device pixels PhysicalEdge(x) .. PhysicalEdge(x + 1) - 1. For
    /// whoever reads the picture back where the painter drew.
    static int PhysicalEdge(int v, qreal ratio) {
        return static_cast<int>(std::floor(v * ratio + 0.5));
    }

    /// The logical rectangle a line covers, for scheduling a repaint of it.
    static QRect RectOf(const graph::VLine& line) {
        return QRect(line.x, line.top, 1, line.bottom - line.top);
    }

  private:
    // Physical coordinate of logical edge `v`.
    int Physical(int v) const;
    // Physical rows and columns of a logical rectangle, clipped; false when empty.
    bool Span(int left, int top, int right, int bottom, QRect& span) const;

    uchar* bits_;
    qsizetype stride_;
    int width_;
    int height_;
    qreal ratio_;
    int wholeRatio_;  // the ratio when it is a whole number, else 0
};
