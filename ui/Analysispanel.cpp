#include "ui/Analysispanel.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>
#include <cmath>

namespace {

// The longest line of the span's own figures, with the widest value it takes. A reference's
// figures are longer by their "ref_"; they may wrap until the panel is widened.
constexpr QLatin1String LongestLine("steady_state_error=-123.45");
constexpr int TextLines = 22;

}  // namespace

TAnalysisPanel::TAnalysisPanel(QWidget* parent) : QDockWidget(QStringLiteral("Analysis"), parent) {
    setObjectName(QStringLiteral("AnalysisPanel"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Response:"), body));
    trace_ = new QComboBox(body);
    trace_->setObjectName(QStringLiteral("cbResponse"));
    trace_->addItems({QStringLiteral("Tget"), QStringLiteral("Vget")});
    row->addWidget(trace_, 1);
    layout->addLayout(row);

    text_ = new QPlainTextEdit(body);
    text_->setObjectName(QStringLiteral("AnalysisText"));
    text_->setReadOnly(true);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetricsF metrics(text_->font());
    // Room for the longest line inside the frame and the document's margins, so that none of
    // the span's figures breaks over two lines in a panel tall enough to need no scroll bar.
    const qreal chrome = 2 * (text_->frameWidth() + text_->document()->documentMargin());
    text_->setMinimumSize(
        static_cast<int>(std::ceil(metrics.horizontalAdvance(LongestLine) + chrome)),
        static_cast<int>(metrics.lineSpacing() * TextLines / 2));
    layout->addWidget(text_, 1);

    copy_ = new QPushButton(QStringLiteral("Copy"), body);
    copy_->setObjectName(QStringLiteral("btCopy"));
    layout->addWidget(copy_);
    setWidget(body);

    connect(copy_, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(text_->toPlainText()); });
    connect(trace_, &QComboBox::currentIndexChanged, this, [this] { emit optionsChanged(); });
}

void TAnalysisPanel::ShowText(const std::string& text) {
    const QString shown = QString::fromStdString(text);
    if (shown != text_->toPlainText()) text_->setPlainText(shown);
}

QString TAnalysisPanel::text() const {
    return text_->toPlainText();
}

stepresponse::Options TAnalysisPanel::options() const {
    stepresponse::Options options;
    options.response =
        trace_->currentIndex() == 1 ? stepresponse::Response::Vget : stepresponse::Response::Tget;
    return options;
}
