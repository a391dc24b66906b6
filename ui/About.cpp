#include "ui/About.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

#include "Version.h"

namespace {

constexpr const char* ApplicationTitle = "Tavolin";

// The pictures' own geometry, in pixels of the picture.
constexpr int BannerGrid = 16;
constexpr double TraceMid = 44;
constexpr double TraceSwing = 14;
constexpr int TraceStart = 225;

void DrawStripChart(QPainter& p, int width, int height) {
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    for (int x = BannerGrid; x < width; x += BannerGrid) p.drawLine(x, 0, x, height);
    for (int y = BannerGrid; y < height; y += BannerGrid) p.drawLine(0, y, width, y);
    // A set point step and the tip temperature settling on it.
    QPainterPath setPoint;
    setPoint.moveTo(TraceStart, TraceMid + TraceSwing);
    setPoint.lineTo(TraceStart + 40, TraceMid + TraceSwing);
    setPoint.lineTo(TraceStart + 40, TraceMid - TraceSwing);
    setPoint.lineTo(width, TraceMid - TraceSwing);
    p.setPen(QPen(QColor(255, 128, 64), 2));
    p.drawPath(setPoint);
    QPainterPath tip;
    tip.moveTo(TraceStart, TraceMid + TraceSwing);
    for (int x = TraceStart; x <= width; ++x) {
        const double t = std::max(0, x - TraceStart - 40) / 30.0;
        const double settle = 1 - std::exp(-t) * std::cos(std::numbers::pi * t / 2);
        tip.lineTo(x, TraceMid + TraceSwing - 2 * TraceSwing * settle);
    }
    p.setPen(QPen(QColor(120, 230, 120), 2));
    p.drawPath(tip);
}

}  // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(white);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("Image2"));
    icon->setPixmap(DrawIcon());
    icon->setFixedSize(IconSize, IconSize);
    auto* version = new QLabel(VersionLine(), panel);
    version->setObjectName(QStringLiteral("Label1"));
    auto* banner = new QLabel(panel);
    banner->setObjectName(QStringLiteral("Image1"));
    banner->setPixmap(DrawBanner());
    banner->setFixedSize(BannerWidth, BannerHeight);
    auto* protocol = new QLabel(QStringLiteral("This program uses Wake serial protocol."), panel);
    protocol->setObjectName(QStringLiteral("Label3"));
    auto* ok = new QPushButton(QStringLiteral("OK"), panel);
    ok->setObjectName(QStringLiteral("Button1"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(version, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addStretch(1);
    auto* content = new QVBoxLayout(panel);
    content->addLayout(top);
    content->addWidget(banner);
    content->addWidget(protocol);
    content->addLayout(bottom);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->addWidget(panel);
    main->setSizeConstraint(QLayout::SetFixedSize);
    ok->setFocus();
}

QString TAboutForm::VersionLine() {
    return QStringLiteral("Zelvo lab - %1 Control Software ver.%2")
        .arg(QString::fromLatin1(ApplicationTitle))
        .arg(QString::fromLatin1(TavolinVersion));
}

QPixmap TAboutForm::DrawIcon() {
    QPixmap icon(IconSize, IconSize);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    // The numbers below are the 32 x 32 picture's own geometry.
    QLinearGradient body(0, 0, 0, IconSize);
    body.setColorAt(0, QColor(40, 90, 170));
    body.setColorAt(1, QColor(15, 40, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(1, 1, IconSize - 2, IconSize - 2), 6, 6);
    // A soldering iron: grip, shaft and a glowing tip.
    p.setBrush(QColor(230, 230, 235));
    p.drawRoundedRect(QRectF(5, 7, 12, 6), 2, 2);
    p.drawRect(QRectF(17, 9, 7, 2));
    QPainterPath tip;
    tip.moveTo(24, 8);
    tip.lineTo(29, 10);
    tip.lineTo(24, 12);
    tip.closeSubpath();
    p.setBrush(QColor(255, 128, 64));
    p.drawPath(tip);
    // Its temperature trace.
    p.setPen(QPen(QColor(120, 230, 120), 2));
    p.setBrush(Qt::NoBrush);
    QPainterPath trace;
    trace.moveTo(5, 26);
    trace.cubicTo(11, 26, 12, 17, 18, 19);
    trace.cubicTo(22, 20, 24, 21, 28, 20);
    p.drawPath(trace);
    return icon;
}

QPixmap TAboutForm::DrawBanner() {
    QPixmap banner(BannerWidth, BannerHeight);
    QPainter p(&banner);
    p.setRenderHint(QPainter::Antialiasing);
    // The numbers below are the 388 x 71 picture's own geometry.
    QLinearGradient sky(0, 0, BannerWidth, 0);
    sky.setColorAt(0, QColor(15, 40, 90));
    sky.setColorAt(1, QColor(20, 110, 130));
    p.fillRect(banner.rect(), sky);
    DrawStripChart(p, BannerWidth, BannerHeight);
    QFont title = p.font();
    title.setPixelSize(30);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(14, 6, 200, 38), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromLatin1(ApplicationTitle));
    QFont small = p.font();
    small.setPixelSize(12);
    small.setBold(false);
    p.setFont(small);
    p.setPen(QColor(200, 220, 240));
    p.drawText(QRect(16, 44, 200, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("KRT-51 / KRF-51 tool stations"));
    return banner;
}

void TAboutForm::reject() {
    // Escape and the close box end the box as OK does.
    accept();
}

void RunAboutAction(QWidget* parent) {
    TAboutForm form(parent);
    form.exec();
}
