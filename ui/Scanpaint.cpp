#include "ui/Scanpaint.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr QRgb Opaque = 0xFF000000u;
constexpr QRgb ColourBits = 0x00FFFFFFu;

}  // namespace

TScanPainter::TScanPainter(QImage& image)
    : bits_(image.bits()),
      stride_(image.bytesPerLine()),
      width_(image.width()),
      height_(image.height()),
      ratio_(image.devicePixelRatio()) {
    const qreal whole = std::round(ratio_);
    wholeRatio_ = (whole >= 1 && whole == ratio_) ? static_cast<int>(whole) : 0;
}

int TScanPainter::Physical(int v) const {
    if (wholeRatio_) return v * wholeRatio_;
    return PhysicalEdge(v, ratio_);
}

bool TScanPainter::Span(int left, int top, int right, int bottom, QRect& span) const {
    const int x0 = std::max(0, Physical(left));
    const int x1 = std::min(width_, Physical(right));
    const int y0 = std::max(0, Physical(top));
    const int y1 = std::min(height_, Physical(bottom));
    if (x0 >= x1 || y0 >= y1) return false;
    span = QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
    return true;
}

void TScanPainter::Fill(int left, int top, int right, int bottom, QRgb colour) {
    QRect span;
    if (!Span(left, top, right, bottom, span)) return;
    const QRgb pixel = colour | Opaque;
    uchar* row = bits_ + span.top() * stride_;
    if (span.width() == 1) {
        // A trace column or a vertical grid line: one pixel a row, the commonest fill by far.
        uchar* at = row + span.left() * sizeof(QRgb);
        for (int y = span.top(); y <= span.bottom(); ++y, at += stride_)
            *reinterpret_cast<QRgb*>(at) = pixel;
        return;
    }
    for (int y = span.top(); y <= span.bottom(); ++y, row += stride_) {
        auto* pixels = reinterpret_cast<QRgb*>(row);
        std::fill(pixels + span.left(), pixels + span.right() + 1, pixel);
    }
}

void TScanPainter::NotXor(const graph::VLine& line, QRgb pen) {
    QRect span;
    if (!Span(line.x, line.top, line.x + 1, line.bottom, span)) return;
    for (int y = span.top(); y <= span.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(bits_ + y * stride_);
        for (int x = span.left(); x <= span.right(); ++x)
            row[x] = (~(pen ^ row[x]) & ColourBits) | Opaque;
    }
}
