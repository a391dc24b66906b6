#include "ui/Statuspanels.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>

#include <algorithm>

namespace {

constexpr int PanelSpacing = 2;
// Pixels a sunken panel adds around its text: the frame on both sides and one pixel of air.
constexpr int FrameAllowance = 4;
// The model is the first six characters of the identity ("KRF-51"): it always shows.
constexpr int ModelLength = 6;

const QString OnLinePrefix = QStringLiteral(" ON LINE: ");
const QString Ellipsis = QStringLiteral("…");

QString OnLineText(const QString& identity, const QString& port) {
    return OnLinePrefix + identity + QStringLiteral(" (") + port + QStringLiteral(") ");
}

void MakePanel(QLabel& label) {
    label.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label.setIndent(0);
    label.setMargin(0);
    label.setTextFormat(Qt::PlainText);
}

}  // namespace

TConnectionPanel::TConnectionPanel(QWidget* parent) : QLabel(parent) {
    MakePanel(*this);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void TConnectionPanel::ShowOffLine(const QString& text) {
    onLine_ = false;
    full_ = text;
    Refit();
}

void TConnectionPanel::ShowOnLine(const QString& identity, const QString& port) {
    onLine_ = true;
    identity_ = identity;
    port_ = port;
    full_ = OnLineText(identity, port);
    Refit();
}

QString TConnectionPanel::Fitted(const QFontMetrics& metrics, int width, const QString& identity,
                                 const QString& port) {
    const QString full = OnLineText(identity, port);
    if (metrics.horizontalAdvance(full) <= width) return full;
    // First the middle of the device path gives way: its start and end tell ports apart.
    const QString withoutPort = OnLineText(identity, QString());
    const int roomForPort = width - metrics.horizontalAdvance(withoutPort);
    const QString port2 = metrics.elidedText(port, Qt::ElideMiddle, roomForPort);
    if (!port2.isEmpty() && port2 != Ellipsis) return OnLineText(identity, port2);
    // Then whatever follows the model.
    const QString model = OnLinePrefix + identity.left(ModelLength);
    const QString rest =
        identity.mid(ModelLength) + QStringLiteral(" (") + port + QStringLiteral(") ");
    return model + metrics.elidedText(rest, Qt::ElideRight,
                                      std::max(0, width - metrics.horizontalAdvance(model)));
}

int TConnectionPanel::MinimumWidth(const QFontMetrics& metrics) {
    const int offLine = metrics.horizontalAdvance(QStringLiteral(" OFF LINE "));
    const int model = metrics.horizontalAdvance(OnLinePrefix + QStringLiteral("KRF-51") + Ellipsis);
    return std::max(offLine, model) + FrameAllowance;
}

void TConnectionPanel::ShowMessage(const QString& message) {
    message_ = message;
    Refit();
}

void TConnectionPanel::SetHint(const QString& hint) {
    hint_ = hint;
    Refit();
}

void TConnectionPanel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Refit();
}

void TConnectionPanel::Refit() {
    const QString& tip = hint_.isEmpty() ? full_ : hint_;
    setToolTip(tip);
    if (!message_.isEmpty()) {
        setToolTip(message_ + QLatin1Char('\n') + tip);
        setText(fontMetrics().elidedText(message_, Qt::ElideRight, contentsRect().width()));
        return;
    }
    if (!onLine_) {
        setText(full_);
        return;
    }
    setText(Fitted(fontMetrics(), contentsRect().width(), identity_, port_));
}

TStatusPanels::TStatusPanels(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(PanelSpacing);
    connection_ = new TConnectionPanel(this);
    connection_->setObjectName(QStringLiteral("StatusPanel0"));
    row->addWidget(connection_, 1);
    panels_.push_back(connection_);
    widest_.emplace_back();
    ApplyWidths();
}

int TStatusPanels::AddPanel(const QStringList& widestTexts) {
    auto* label = new QLabel(this);
    MakePanel(*label);
    label->setObjectName(QStringLiteral("StatusPanel%1").arg(panels_.size()));
    layout()->addWidget(label);
    panels_.push_back(label);
    widest_.push_back(widestTexts);
    ApplyWidths();
    return count() - 1;
}

int TStatusPanels::WidthFor(const QString& text) const {
    return fontMetrics().horizontalAdvance(text) + FrameAllowance;
}

void TStatusPanels::ApplyWidths() {
    connection_->setMinimumWidth(TConnectionPanel::MinimumWidth(fontMetrics()));
    for (std::size_t i = 1; i < panels_.size(); ++i) {
        int width = 0;
        for (const QString& text : widest_[i]) width = std::max(width, WidthFor(text));
        panels_[i]->setFixedWidth(width);
    }
}

void TStatusPanels::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) ApplyWidths();
}
