#include "ui/Colours.h"

#include <QColorDialog>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace {

struct SlotControls {
    const char* label;
    const char* panel;
    const char* button;
};

// Indexed by colour slot.
constexpr std::array<SlotControls, colours::ColourCount> Slots = {{
    {"Backgnd:", "pnBg", "btBg"},
    {"Axis:", "pnAx", "btAx"},
    {"Text:", "pnTx", "btTx"},
    {"Cursor:", "pnCr", "btCr"},
    {"Graph 1:", "pnG1", "btG1"},
    {"Graph 2:", "pnG2", "btG2"},
    {"Graph 3:", "pnG3", "btG3"},
    {"Graph 4:", "pnG4", "btG4"},
}};

constexpr int RowsPerColumn = 4;
constexpr int SwatchWidth = 48;  // pixels
constexpr int SwatchHeight = 21;
constexpr int PickButtonWidth = 25;

QColor ToQColor(colours::ColourValue value) {
    const colours::Rgb rgb = colours::ToRgb(value);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

colours::ColourValue FromQColor(const QColor& colour) {
    return colours::FromRgb({colour.red(), colour.green(), colour.blue()});
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TColoursForm::TColoursForm(colours::ColourSet& colours, std::function<void()> redraw,
                           QWidget* parent)
    : QDialog(parent),
      colours_(colours),
      redraw_(std::move(redraw)),
      saved_(colours),
      swatches_(colours) {
    setObjectName(QStringLiteral("ColoursForm"));
    setWindowTitle(QStringLiteral("Colours..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    auto* grid = new QGridLayout;
    for (int slot = 0; slot < colours::ColourCount; ++slot) {
        AddSlotRow(grid, static_cast<colours::ColourSlot>(slot));
    }
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addWidget(BuildButtons());
    main->setSizeConstraint(QLayout::SetFixedSize);
}

void TColoursForm::AddSlotRow(QGridLayout* grid, colours::ColourSlot slot) {
    const SlotControls& names = Slots[slot];
    const int row = slot % RowsPerColumn;
    const int column = (slot / RowsPerColumn) * 3;
    auto* panel = new QFrame(this);
    panel->setObjectName(QString::fromLatin1(names.panel));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedSize(SwatchWidth, SwatchHeight);
    panel->setAutoFillBackground(true);
    panel->installEventFilter(this);
    panels_[slot] = panel;
    ShowSwatch(slot);
    auto* button = MakeButton(names.button, "...", this);
    button->setFixedWidth(PickButtonWidth);
    connect(button, &QPushButton::clicked, this, [this, slot] { Pick(slot); });
    grid->addWidget(new QLabel(QString::fromLatin1(names.label), this), row, column);
    grid->addWidget(panel, row, column + 1);
    grid->addWidget(button, row, column + 2);
}

QWidget* TColoursForm::BuildButtons() {
    auto* strip = new QWidget(this);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    auto* setDefault = MakeButton("btDefault", "Set Default", strip);
    auto* apply = MakeButton("btApply", "Apply", strip);
    auto* ok = MakeButton("btOk", "OK", strip);
    auto* cancel = MakeButton("btCancel", "Cancel", strip);
    for (QPushButton* button : {setDefault, apply, ok, cancel}) row->addWidget(button);
    connect(setDefault, &QPushButton::clicked, this, [this] { SetDefault(); });
    connect(apply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return strip;
}

bool TColoursForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int slot = 0; slot < colours::ColourCount; ++slot) {
            if (watched != panels_[slot]) continue;
            Pick(slot);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TColoursForm::Pick(int slot) {
    const QColor picked = QColorDialog::getColor(ToQColor(swatches_[slot]), this);
    if (!picked.isValid()) return;  // the picker was cancelled
    swatches_[slot] = FromQColor(picked);
    ShowSwatch(slot);
}

void TColoursForm::ShowSwatch(int slot) {
    QPalette palette = panels_[slot]->palette();
    palette.setColor(QPalette::Window, ToQColor(swatches_[slot]));
    panels_[slot]->setPalette(palette);
}

void TColoursForm::Apply() {
    colours_ = swatches_;
    if (redraw_) redraw_();
}

void TColoursForm::SetDefault() {
    colours_ = colours::Defaults;
    swatches_ = colours_;
    for (int slot = 0; slot < colours::ColourCount; ++slot) ShowSwatch(slot);
}

void TColoursForm::Ok() {
    saved_ = swatches_;
    accept();
}

void TColoursForm::done(int result) {
    colours_ = saved_;
    if (redraw_) redraw_();
    QDialog::done(result);
}

void RunColoursAction(colours::ColourSet& colours, std::function<void()> redraw, QWidget* parent) {
    TColoursForm form(colours, std::move(redraw), parent);
    form.exec();
}
