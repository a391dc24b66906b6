#include "ui/Panelwidget.h"

#include "core/Panelfields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "core/Controlpanel.h"
#include "ui/Floatedit.h"
#include "ui/Wheelguard.h"

namespace {

using Field = PanelView::Field;
using panelfields::DesignOf;
using panelfields::Designs;
using panelfields::FieldDesign;

// Geometry of the strip, in pixels: the window gives it 100 px of height.
constexpr int StripHeight = 100;
constexpr int RowHeight = 22;
constexpr int RowSpacing = 2;
constexpr int ColumnSpacing = 3;
// With the grid's spacing, the gap between a field column and the labels of the next.
constexpr int FieldColumnGap = 2;
constexpr int GroupMargin = 4;
constexpr int CaptionBoxEnd = 2;  // a blank pixel and the frame line after a caption's box
constexpr int ListWidth = 64;
constexpr int UpDownWidth = 17;
constexpr int BigFieldPixels = 27;

constexpr int SetTemperatureMax = 480;
constexpr int UpDownIncrement = 5;
constexpr int DesignSetTemperature = 350;
constexpr int DesignLastPreset = 20;

/// Raised while the core writes into a control, so that the events this sets off run their
/// handlers plainly and an error reaches the core's caller.
class CoreWrite {
  public:
    explicit CoreWrite(int& depth) : depth_(depth) { ++depth_; }
    ~CoreWrite() { --depth_; }
    CoreWrite(const CoreWrite&) = delete;
    CoreWrite& operator=(const CoreWrite&) = delete;

  private:
    int& depth_;
};

QGridLayout* GridOf(QGroupBox& group) {
    auto* grid = new QGridLayout(&group);
    grid->setContentsMargins(GroupMargin, RowSpacing, GroupMargin, RowSpacing);
    grid->setHorizontalSpacing(ColumnSpacing);
    grid->setVerticalSpacing(RowSpacing);
    return grid;
}

QGroupBox* GroupOf(const char* title, QWidget* parent) {
    auto* group = new QGroupBox(QString::fromUtf8(title), parent);
    group->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    return group;
}

}  // namespace

/// UpDown1: two arrow buttons beside the big field, stepping a position 0..480 by 5 without
/// wrapping. The owner hears the new position before the move.
class TPanelWidget::UpDown : public QWidget {
  public:
    explicit UpDown(QWidget* parent) : QWidget(parent) {
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        for (const bool up : {true, false}) {
            auto* button = new QToolButton(this);
            button->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
            button->setObjectName(up ? QStringLiteral("UpDown1Up") : QStringLiteral("UpDown1Down"));
            button->setAutoRepeat(true);
            button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
            button->setFixedWidth(UpDownWidth);
            column->addWidget(button);
            connect(button, &QToolButton::clicked, this,
                    [this, up] { Step(up ? UpDownIncrement : -UpDownIncrement); });
        }
    }

    int Position() const { return position_; }
    void SetPosition(int position) { position_ = std::clamp(position, 0, SetTemperatureMax); }

    std::function<void(int)> OnChanging;
    std::function<void(int)> OnMoved;

  private:
    void Step(int delta) {
        const int next = std::clamp(position_ + delta, 0, SetTemperatureMax);
        if (next == position_) return;
        if (OnChanging) OnChanging(next);
        position_ = next;
        if (OnMoved) OnMoved(next);
    }

    int position_ = 0;
};

TPanelWidget::TPanelWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TlPanel"));
    for (const FieldDesign& d : Designs) {
        auto* edit = new TFloatEdit(this);
        edit->setObjectName(QString::fromLatin1(d.name));
        edit->SetDigits(static_cast<std::uint8_t>(d.digits));
        edit->SetMaxValue(d.max);
        edit->setEnabled(d.enabled);
        edit->setReadOnly(d.readOnly);
        edit->setFixedSize(d.width, RowHeight);
        GuardWheel(*edit);
        fields_[static_cast<int>(d.field)] = edit;
    }
    TFloatEdit& big = Edit(Field::Set);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(BigFieldPixels);
    font.setBold(true);
    big.setFont(font);
    // Red digits while it may be edited; disabled it keeps the style's grey like any field.
    QPalette palette = big.palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::Text, Qt::red);
    big.setPalette(palette);
    big.setFixedHeight(2 * RowHeight + RowSpacing);
    big.SetValue(DesignSetTemperature);

    setFixedHeight(StripHeight);
    auto* strip = new QHBoxLayout(this);
    strip->setContentsMargins(RowSpacing, 0, RowSpacing, RowSpacing);
    strip->setSpacing(ColumnSpacing);
    strip->addWidget(BuildHeater());
    strip->addWidget(BuildFan());
    strip->addWidget(BuildTimers());
    strip->addWidget(BuildPresets());
    strip->addStretch(1);
}

int TPanelWidget::AddFieldColumn(QGridLayout& grid, const FieldColumn& fields, int column,
                                 bool apart) {
    auto* group = grid.parentWidget();
    // A column whose fields have no unit takes no unit column, so it costs the strip nothing.
    const bool hasUnits = std::ranges::any_of(fields, [](Field f) { return *DesignOf(f).unit; });
    for (int row = 0; row < 3; ++row) {
        const FieldDesign& d = DesignOf(fields[row]);
        auto* label = new QLabel(QString::fromUtf8(d.label), group);
        if (apart) label->setContentsMargins(FieldColumnGap, 0, 0, 0);
        grid.addWidget(label, row, column);
        grid.addWidget(&Edit(d.field), row, column + 1);
        if (*d.unit) grid.addWidget(new QLabel(QString::fromUtf8(d.unit), group), row, column + 2);
    }
    return column + (hasUnits ? 3 : 2);
}

QRect TPanelWidget::CaptionRect(const QGroupBox& group) {
    QStyleOptionGroupBox option;
    option.initFrom(&group);
    option.text = group.title();
    option.textAlignment = group.alignment();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    option.lineWidth = 1;
    return group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel,
                                         &group);
}

QCheckBox* TPanelWidget::TitleCheckBox(QGroupBox& group, const char* name, const char* text) {
    // Sits in the frame line one blank after the caption's words, on the caption's middle,
    // covering the line behind it. The caption's trailing blanks are where the box goes.
    auto* box = new QCheckBox(QString::fromLatin1(text), &group);
    box->setObjectName(QString::fromLatin1(name));
    box->setAutoFillBackground(true);
    box->adjustSize();
    QString caption = group.title();
    while (caption.endsWith(QLatin1Char(' '))) caption.chop(1);
    caption += QLatin1Char(' ');  // one blank between the words and the box
    const QRect label = CaptionRect(group);
    const int x = label.left() + group.fontMetrics().horizontalAdvance(caption);
    const int y = std::max(0, label.center().y() - box->height() / 2);
    box->move(x, y);
    box->raise();
    // The group is at least wide enough to keep the box off its right frame line. A minimum
    // set here replaces the one its fields need, so it takes the larger of the two.
    group.setMinimumWidth(
        std::max(group.minimumSizeHint().width(), x + box->width() + CaptionBoxEnd));
    return box;
}

QGroupBox* TPanelWidget::BuildHeater() {
    QGroupBox* group = GroupOf(" Heater ", this);
    QGridLayout* grid = GridOf(*group);
    TFloatEdit& big = Edit(Field::Set);
    grid->addWidget(&big, 0, 0, 2, 1);
    upDown_ = new UpDown(group);
    upDown_->setObjectName(QStringLiteral("UpDown1"));
    upDown_->setEnabled(false);
    upDown_->setFixedHeight(big.height());
    grid->addWidget(upDown_, 0, 1, 2, 1);
    mode_ = new QComboBox(group);
    mode_->setObjectName(QStringLiteral("cbMode"));
    mode_->addItems({QStringLiteral("Phase"), QStringLiteral("Delta-Sigma")});
    mode_->setCurrentIndex(1);
    mode_->setFixedHeight(RowHeight);
    mode_->setSizeAdjustPolicy(QComboBox::AdjustToContents);  // "Delta-Sigma" shows whole
    GuardWheel(*mode_);
    grid->addWidget(mode_, 2, 0, 1, 2);

    int column = AddFieldColumn(*grid, {Field::Tset, Field::Tget, Field::Tcj}, 2, false);
    column = AddFieldColumn(*grid, {Field::HKp, Field::HKi, Field::HKd}, column, true);
    AddFieldColumn(*grid, {Field::Plim, Field::Power, Field::Comp}, column, true);
    pidH_ = TitleCheckBox(*group, "cbPidH", "PID Enable");
    return group;
}

QGroupBox* TPanelWidget::BuildFan() {
    QGroupBox* group = GroupOf("  Fan      ", this);
    QGridLayout* grid = GridOf(*group);
    const int column = AddFieldColumn(*grid, {Field::Vset, Field::Vget, Field::Pwm}, 0, false);
    AddFieldColumn(*grid, {Field::FKp, Field::FKi, Field::FKd}, column, true);
    pidF_ = TitleCheckBox(*group, "cbPidF", "PID Enable");
    return group;
}

QGroupBox* TPanelWidget::BuildTimers() {
    QGroupBox* group = GroupOf(" Timers     ", this);
    QGridLayout* grid = GridOf(*group);
    AddFieldColumn(*grid, {Field::TmStb, Field::TmOff, Field::ThAct}, 0, false);
    autoStb_ = TitleCheckBox(*group, "cbAutoStb", "Auto Stb");
    return group;
}

QGroupBox* TPanelWidget::BuildPresets() {
    QGroupBox* group = GroupOf(" Presets ", this);
    QGridLayout* grid = GridOf(*group);
    preset_ = new QComboBox(group);
    preset_->setObjectName(QStringLiteral("cbPreset"));
    preset_->setFixedSize(ListWidth, RowHeight);
    GuardWheel(*preset_);
    SetPresetList(DesignLastPreset);
    SetPresetIndex(0);
    read_ = new QPushButton(QStringLiteral("Read"), group);
    read_->setObjectName(QStringLiteral("brRdPre"));
    save_ = new QPushButton(QStringLiteral("Save"), group);
    save_->setObjectName(QStringLiteral("btSvPre"));
    grid->addWidget(preset_, 0, 0);
    int row = 1;
    for (QPushButton* button : {read_, save_}) {
        button->setFixedSize(ListWidth, RowHeight);
        grid->addWidget(button, row++, 0);
    }
    AddFieldColumn(*grid, {Field::PresetT, Field::PresetV, Field::PresetC}, 1, false);
    return group;
}

void TPanelWidget::Bind(ControlPanel& panel, ErrorHandler onError) {
    panel_ = &panel;
    onError_ = std::move(onError);
    for (const FieldDesign& d : Designs) {
        const Field field = d.field;
        Edit(field).OnChanged = [this, field](TFloatEdit&) {
            Forward([this, field] { panel_->FieldChanged(field); });
        };
    }
    for (const Box box : {Box::PidH, Box::PidF}) {
        connect(BoxOf(box), &QCheckBox::clicked, this,
                [this, box] { Forward([this, box] { Clicked(box); }); });
    }
    connect(mode_, &QComboBox::currentIndexChanged, this,
            [this] { Forward([this] { panel_->HeaterParamsChanged(); }); });
    connect(preset_, &QComboBox::currentIndexChanged, this,
            [this] { Forward([this] { panel_->PresetRead(); }); });
    connect(read_, &QPushButton::clicked, this,
            [this] { Forward([this] { panel_->PresetRead(); }); });
    connect(save_, &QPushButton::clicked, this,
            [this] { Forward([this] { panel_->PresetSave(); }); });
    upDown_->OnChanging = [this](int position) {
        Forward([this, position] { panel_->UpDownChanging(position); });
    };
    // The arrows write their position into the big field's text; its value follows at the
    // field's next commit or the next poll.
    upDown_->OnMoved = [this](int position) {
        Edit(Field::Set).setText(QString::number(position));
    };
}

void TPanelWidget::Forward(const std::function<void()>& handler) {
    if (panel_ == nullptr) return;
    if (coreWrites_ > 0) return handler();
    try {
        handler();
    } catch (const std::exception& error) {
        // Nothing may escape into the toolkit's event handling: the window shows it.
        if (!onError_) throw;
        onError_(error);
    }
}

void TPanelWidget::Clicked(Box box) {
    if (panel_ == nullptr) return;
    if (box == Box::PidH) panel_->PidHClicked();
    if (box == Box::PidF) panel_->PidFClicked();
}

QCheckBox* TPanelWidget::BoxOf(Box box) const {
    switch (box) {
        case Box::PidH:
            return pidH_;
        case Box::PidF:
            return pidF_;
        case Box::AutoStb:
            return autoStb_;
    }
    return autoStb_;
}

double TPanelWidget::Value(Field field) const {
    return Edit(field).Value();
}

void TPanelWidget::SetValue(Field field, double value) {
    CoreWrite write(coreWrites_);
    Edit(field).SetValue(value);
}

bool TPanelWidget::Checked(Box box) const {
    return BoxOf(box)->isChecked();
}

void TPanelWidget::SetChecked(Box box, bool checked) {
    QCheckBox* target = BoxOf(box);
    if (target->isChecked() == checked) return;
    {
        const QSignalBlocker block(target);
        target->setChecked(checked);
    }
    Clicked(box);  // called directly: what it throws goes back to the core
}

int TPanelWidget::ModeIndex() const {
    return mode_->currentIndex();
}

void TPanelWidget::SetModeIndex(int index) {
    const QSignalBlocker block(mode_);
    mode_->setCurrentIndex(index);
}

int TPanelWidget::PresetIndex() const {
    return preset_->currentIndex();
}

int TPanelWidget::PresetCount() const {
    return preset_->count();
}

void TPanelWidget::SetPresetList(int lastPreset) {
    const QSignalBlocker block(preset_);
    preset_->clear();
    QStringList items{QStringLiteral("OFF"), QStringLiteral("COOL"), QStringLiteral("STB")};
    for (int n = 0; n <= lastPreset; ++n) items.append(QString::number(n));
    preset_->addItems(items);
}

void TPanelWidget::SetPresetIndex(int index) {
    const QSignalBlocker block(preset_);
    preset_->setCurrentIndex(index);
}

void TPanelWidget::SetUpDownPosition(int position) {
    upDown_->SetPosition(position);
}

int TPanelWidget::UpDownPosition() const {
    return upDown_->Position();
}

void TPanelWidget::SetEnabled(Field field, bool enabled) {
    Edit(field).setEnabled(enabled);
}

void TPanelWidget::SetEnabled(Control control, bool enabled) {
    QWidget* target = control == Control::PidF ? static_cast<QWidget*>(pidF_) : upDown_;
    target->setEnabled(enabled);
}

bool TPanelWidget::Enabled(Field field) const {
    return Edit(field).isEnabledTo(this);
}
