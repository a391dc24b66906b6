#include "ui/Statuspanels.h"

#include <QEvent>
#include <QFontMetrics>

#include <algorithm>
#include <optional>

namespace {

constexpr int PanelSpacing = 2;
// Pixels a sunken panel adds around its text: the frame on both sides and one pixel of air.
constexpr int FrameAllowance = 4;
// The model is the first six characters of the identity ("KRF-51"): it always shows.
constexpr int ModelLength = 6;
// Characters of a device path, besides the ellipsis, that still tell one port from another.
constexpr int PathGlimpse = 8;
// Characters of a path's end that still tell a port from its neighbour ("SB0", "SB1").
constexpr int PathEnd = 3;

const QString OnLinePrefix = QStringLiteral(" ON LINE: ");
const QString Ellipsis = QStringLiteral("…");

// The model, and an ellipsis where more of the identity follows.
QString ModelOnly(const QString& identity) {
    const QString model = identity.left(ModelLength);
    return identity.size() > ModelLength ? model + Ellipsis : model;
}

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
    updateGeometry();
}

void TConnectionPanel::ShowOnLine(const QString& identity, const QString& port) {
    onLine_ = true;
    identity_ = identity;
    port_ = port;
    full_ = OnLineText(identity, port);
    Refit();
    updateGeometry();
}

QString TConnectionPanel::Fitted(const QFontMetrics& metrics, int width, const QString& identity,
                                 const QString& port) {
    const QString full = OnLineText(identity, port);
    if (metrics.horizontalAdvance(full) <= width) return full;
    // The start and end of a device path tell ports apart, so its middle gives way first, then
    // what follows the model, then the path's start: the model and the port's end are worth
    // more than the rest.
    const auto withPath = [&](const QString& shownIdentity, Qt::TextElideMode mode,
                              int glimpse) -> std::optional<QString> {
        const int room = width - metrics.horizontalAdvance(OnLineText(shownIdentity, QString()));
        const QString path = metrics.elidedText(port, mode, room);
        if (path.size() < std::min<qsizetype>(port.size(), glimpse + 1)) return std::nullopt;
        return OnLineText(shownIdentity, path);
    };
    if (auto shown = withPath(identity, Qt::ElideMiddle, PathGlimpse)) return *shown;
    if (auto shown = withPath(ModelOnly(identity), Qt::ElideMiddle, PathGlimpse)) return *shown;
    if (auto shown = withPath(ModelOnly(identity), Qt::ElideLeft, PathEnd)) return *shown;
    // At the narrowest, the model and as much as fits after it.
    const QString prefix = OnLinePrefix + identity.left(ModelLength);
    const QString rest =
        identity.mid(ModelLength) + QStringLiteral(" (") + port + QStringLiteral(") ");
    return prefix + metrics.elidedText(rest, Qt::ElideRight,
                                       std::max(0, width - metrics.horizontalAdvance(prefix)));
}

int TConnectionPanel::MinimumWidth(const QFontMetrics& metrics) {
    const int offLine = metrics.horizontalAdvance(QStringLiteral(" OFF LINE "));
    const int model = metrics.horizontalAdvance(OnLinePrefix + QStringLiteral("KRF-51") + Ellipsis);
    return std::max(offLine, model) + FrameAllowance;
}

QSize TConnectionPanel::sizeHint() const {
    // On line, the model and the end of the port: what the row keeps room for before it shows
    // empty readouts.
    int wanted = MinimumWidth(fontMetrics());
    if (onLine_ && message_.isEmpty()) {
        const QString end =
            port_.size() > PathGlimpse ? Ellipsis + port_.right(PathGlimpse) : port_;
        const int text =
            std::min(fontMetrics().horizontalAdvance(full_),
                     fontMetrics().horizontalAdvance(OnLineText(ModelOnly(identity_), end)));
        wanted = std::max(wanted, text + FrameAllowance);
    }
    return {wanted, QLabel::sizeHint().height()};
}

void TConnectionPanel::ShowMessage(const QString& message) {
    message_ = message;
    Refit();
    updateGeometry();
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
    connection_ = new TConnectionPanel(this);
    connection_->setObjectName(QStringLiteral("StatusPanel0"));
    panels_.push_back({connection_, {}, Claim::Readout});
    ApplyWidths();
}

int TStatusPanels::AddPanel(const QStringList& widestTexts, Claim claim) {
    auto* label = new QLabel(this);
    MakePanel(*label);
    label->setObjectName(QStringLiteral("StatusPanel%1").arg(panels_.size()));
    panels_.push_back({label, widestTexts, claim});
    ApplyWidths();
    return count() - 1;
}

void TStatusPanels::SetText(int index, const QString& text) {
    Panel& p = panels_.at(static_cast<std::size_t>(index));
    if (p.label->text() == text) return;
    const bool wasEmpty = p.label->text().isEmpty();
    p.label->setText(text);
    if (p.claim == Claim::Notice) {
        p.label->setFixedWidth(WidthFor(text));
        Fit();
    } else if (wasEmpty != text.isEmpty()) {
        Fit();
    }
}

void TStatusPanels::SetWanted(int index, bool wanted) {
    panels_.at(static_cast<std::size_t>(index)).wanted = wanted;
    Fit();
}

int TStatusPanels::WidthFor(const QString& text) const {
    return fontMetrics().horizontalAdvance(text) + FrameAllowance;
}

void TStatusPanels::ApplyWidths() {
    const int smallest = TConnectionPanel::MinimumWidth(fontMetrics());
    connection_->setMinimumWidth(smallest);
    // The row asks only for the connection panel: Fit keeps the rest within what it gets.
    setMinimumWidth(smallest);
    for (std::size_t i = 1; i < panels_.size(); ++i) {
        const Panel& p = panels_[i];
        int width = p.claim == Claim::Notice ? WidthFor(p.label->text()) : 0;
        for (const QString& text : p.widest) width = std::max(width, WidthFor(text));
        p.label->setFixedWidth(width);
    }
    Fit();
}

std::vector<int> TStatusPanels::RowsOf(const std::vector<bool>& shown, int first) const {
    // Before the row is laid out it has no width to speak of: everything counts as one row.
    const int width = isVisible() ? this->width() : QWIDGETSIZE_MAX;
    std::vector<int> rows(panels_.size(), -1);
    rows[0] = 0;
    int row = 0;
    int x = first;
    for (std::size_t i = 1; i < panels_.size(); ++i) {
        if (!shown[i]) continue;
        const int w = panels_[i].label->width();
        if (x > 0 && x + PanelSpacing + w > width) {
            ++row;
            x = 0;
        }
        x += (x > 0 ? PanelSpacing : 0) + w;
        rows[i] = row;
    }
    return rows;
}

void TStatusPanels::Fit() {
    const std::size_t n = panels_.size();
    std::vector<bool> show(n, false);
    show[0] = true;
    const auto has = [&](std::size_t i, Claim claim, bool empty) {
        const Panel& p = panels_[i];
        return p.wanted && p.claim == claim && p.label->text().isEmpty() == empty;
    };
    // Beside readouts with text and a notice the connection panel may shrink to its smallest
    // width; empty readouts and extras leave it room for the model and the port.
    const int smallest = connection_->minimumWidth();
    int first = smallest;
    const auto rowCount = [&] { return std::ranges::max(RowsOf(show, first)) + 1; };
    // Readouts with something to show always show, on as many rows as they need.
    for (std::size_t i = 1; i < n; ++i) show[i] = has(i, Claim::Readout, false);
    const int rows = rowCount();
    // The others only take the room the readouts leave.
    const auto take = [&](std::size_t i) {
        show[i] = true;
        if (rowCount() > rows) show[i] = false;
        return show[i];
    };
    for (std::size_t i = 1; i < n; ++i) {
        if (has(i, Claim::Notice, false)) take(i);
    }
    first = std::max(first, connection_->sizeHint().width());
    // Empty readouts from the left, so that no gap opens between those that show.
    bool room = true;
    for (std::size_t i = 1; i < n; ++i) {
        if (has(i, Claim::Readout, true)) room = room && take(i);
    }
    for (std::size_t i = 1; i < n; ++i) {
        if (has(i, Claim::Extra, false) || has(i, Claim::Extra, true)) take(i);
    }
    for (std::size_t i = 1; i < n; ++i) {
        if (panels_[i].label->isHidden() == show[i]) panels_[i].label->setHidden(!show[i]);
    }
    Place(RowsOf(show, smallest), rows);
}

void TStatusPanels::Place(const std::vector<int>& rows, int rowCount) {
    const int height = connection_->sizeHint().height();
    // The connection panel opens the first row and stretches over what that row leaves; the
    // panels of a further row start at its left.
    int readoutsBeside = 0;
    for (std::size_t i = 1; i < panels_.size(); ++i) {
        if (rows[i] == 0) readoutsBeside += PanelSpacing + panels_[i].label->width();
    }
    connection_->setGeometry(0, 0, std::max(connection_->minimumWidth(), width() - readoutsBeside),
                             height);
    int row = 0;
    int x = connection_->width();
    for (std::size_t i = 1; i < panels_.size(); ++i) {
        if (rows[i] < 0) continue;
        if (rows[i] != row) {
            row = rows[i];
            x = -PanelSpacing;
        }
        QLabel& label = *panels_[i].label;
        label.setGeometry(x + PanelSpacing, row * (height + PanelSpacing), label.width(), height);
        x += PanelSpacing + label.width();
    }
    const int total = rowCount * height + (rowCount - 1) * PanelSpacing;
    if (minimumHeight() != total || maximumHeight() != total) setFixedHeight(total);
}

void TStatusPanels::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) ApplyWidths();
}

bool TStatusPanels::event(QEvent* event) {
    // A panel asks for another size: the connection panel when the station or port changes.
    if (event->type() == QEvent::LayoutRequest) Fit();
    return QWidget::event(event);
}

void TStatusPanels::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Fit();  // the width it was fitted to before is now the real one
}

void TStatusPanels::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Fit();
}
