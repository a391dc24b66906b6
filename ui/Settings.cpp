#include "ui/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/Appcore.h"
#include "files/Config.h"
#include "link/Inouterror.h"
#include "ui/Errorbox.h"
#include "ui/Floatedit.h"
#include "ui/Wheelguard.h"

using namespace settings;

namespace {

constexpr int FieldWidth = 64;  // pixels: room for "-9999" and "30000"
constexpr int Columns = 4;
constexpr const char* OptionsNotSentMessage = "The station is off line: the options were not sent.";

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    // No default button: Enter in a numeric field only commits the field.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

TSettingsForm::TSettingsForm(AppCore& core, Config& config, QWidget* parent)
    : QDialog(parent), core_(core), config_(config), model_(core.connection().kind()) {
    setObjectName(QStringLiteral("SettingsForm"));
    setWindowTitle(QStringLiteral("Settings..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    auto* groups = new QGridLayout;
    std::array<QGroupBox*, GroupCount> built{};
    for (int g = 0; g < GroupCount; ++g) {
        const GroupInfo& info = Info(static_cast<Group>(g));
        built[g] = BuildGroup(static_cast<Group>(g));
        groups->addWidget(built[g], info.row, info.column);
    }
    for (int c = 0; c < Columns; ++c) groups->setColumnStretch(c, 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(groups);
    main->addWidget(BuildButtons());
    main->setSizeConstraint(QLayout::SetFixedSize);
    OrderTabs(built);

    ok_->setFocus();
    Fill();
}

QGroupBox* TSettingsForm::BuildGroup(Group group) {
    const GroupInfo& info = Info(group);
    auto* box = new QGroupBox(Text(info.caption), this);
    box->setObjectName(Text(info.name));
    auto* grid = new QGridLayout(box);
    int row = 0;
    if (group == Group::Graph) {
        sample_ = new QComboBox(box);
        sample_->setObjectName(QStringLiteral("cbSample"));
        GuardWheel(*sample_);
        // Periods the connected model's poll cannot fit in are marked, and stay selectable.
        for (int i = 0; i < SampleItems; ++i) {
            sample_->addItem(Text(SampleItemText(i, model_.kind())));
            sample_->setItemData(i, Text(SampleItemHint(i, model_.kind())), Qt::ToolTipRole);
        }
        grid->addWidget(new QLabel(QStringLiteral("Sample rate:"), box), row, 0);
        grid->addWidget(sample_, row++, 1, 1, 2);
    }
    for (int b = 0; b < BoxCount; ++b) {
        const BoxInfo& boxInfo = Info(static_cast<Box>(b));
        if (boxInfo.group != group) continue;
        auto* check = new QCheckBox(Text(boxInfo.caption), box);
        check->setObjectName(Text(boxInfo.name));
        boxes_[b] = check;
        grid->addWidget(check, row++, 0, 1, 3);
        const auto which = static_cast<Box>(b);
        if (which == Box::EncoderVar || which == Box::EnableErH || which == Box::EnableErO ||
            which == Box::EnableErF) {
            connect(check, &QCheckBox::toggled, this, [this] {
                if (!showing_) ApplyEnabling();
            });
        }
    }
    for (int f = 0; f < FieldCount; ++f) {
        if (Info(static_cast<Field>(f)).group == group) AddFieldRow(grid, row++, Field(f));
    }
    grid->setRowStretch(row, 1);
    return box;
}

void TSettingsForm::OrderTabs(const std::array<QGroupBox*, GroupCount>& groups) {
    // As the eye reads the form: column by column, each column's top group first, each group
    // from its top row down; then the buttons.
    std::array<int, GroupCount> order{};
    for (int g = 0; g < GroupCount; ++g) order[g] = g;
    std::sort(order.begin(), order.end(), [](int a, int b) {
        const GroupInfo& x = Info(static_cast<Group>(a));
        const GroupInfo& y = Info(static_cast<Group>(b));
        return std::pair(x.column, x.row) < std::pair(y.column, y.row);
    });
    std::vector<QWidget*> chain;
    for (const int g : order) {
        // The rows were added top to bottom, so the children come in the order they show.
        for (QWidget* child : groups[g]->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->focusPolicy() & Qt::TabFocus) chain.push_back(child);
        }
    }
    for (const char* name : {"btDefault", "btOk", "btCancel"})
        chain.push_back(findChild<QPushButton*>(QString::fromLatin1(name)));
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);
}

void TSettingsForm::AddFieldRow(QGridLayout* grid, int row, Field field) {
    const FieldInfo& info = Info(field);
    QWidget* box = grid->parentWidget();
    auto* edit = new TFloatEdit(box);
    edit->setObjectName(Text(info.name));
    // As a form layout assigns them: a lower bound above 0 first lifts the value to it.
    edit->SetFormat(floatformat::TFloatFormat::ffFixed);
    edit->SetDigits(static_cast<std::uint8_t>(info.decimals));
    edit->SetPrec(FieldPrecision);
    edit->SetMinMaxCheck(true);
    edit->SetMinValue(info.min);
    edit->SetMaxValue(info.max);
    edit->SetValue(info.layout);
    edit->setFixedWidth(FieldWidth);
    GuardWheel(*edit);
    fields_[static_cast<int>(field)] = edit;
    grid->addWidget(new QLabel(Text(info.label), box), row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(new QLabel(Text(info.unit), box), row, 2);
}

QWidget* TSettingsForm::BuildButtons() {
    auto* strip = new QWidget(this);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    auto* setDefault = MakeButton("btDefault", "Set Default", strip);
    ok_ = MakeButton("btOk", "OK", strip);
    auto* cancel = MakeButton("btCancel", "Cancel", strip);
    row->addWidget(setDefault);
    row->addStretch(1);
    row->addWidget(ok_);
    row->addWidget(cancel);
    connect(setDefault, &QPushButton::clicked, this, [this] { SetDefault(); });
    connect(ok_, &QPushButton::clicked, this, [this] { TakeOver(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return strip;
}

void TSettingsForm::Fill() {
    model_.ShowProgramOptions(
        {config_.autoConnect, config_.autoRead, config_.samplePeriodMs, config_.autoScroll});
    model_.ShowCachedParams(core_.connection().cachedParams());
    // A period no item stands for is shown as it is, with no item chosen.
    sample_->setPlaceholderText(Text(PeriodText(config_.samplePeriodMs)));
    ShowValues();
    TWakePort& link = core_.link();
    try {
        if (model_.ReadsHeaterOptions()) {
            model_.ShowHeaterOptions(link.GetOptionsH());
            ShowValues();
        }
        if (model_.ReadsFanOptions()) {
            model_.ShowFanOptions(link.GetOptionsF());
            ShowValues();
        }
    } catch (const EInOutError& error) {
        // The dialog still opens; the controls of a record that was not read stay disabled.
        ShowError(parentWidget(), error);
    }
}

void TSettingsForm::ShowValues() {
    showing_ = true;
    const Values& values = model_.values();
    for (int f = 0; f < FieldCount; ++f) fields_[f]->SetValue(values.fields[f]);
    for (int b = 0; b < BoxCount; ++b) boxes_[b]->setChecked(values.boxes[b]);
    sample_->setCurrentIndex(values.sampleIndex);
    showing_ = false;
    ApplyEnabling();
}

void TSettingsForm::ReadControls() {
    Values values;
    for (int f = 0; f < FieldCount; ++f) values.fields[f] = fields_[f]->Value();
    for (int b = 0; b < BoxCount; ++b) values.boxes[b] = boxes_[b]->isChecked();
    values.sampleIndex = sample_->currentIndex();
    model_.SetValues(values);
}

void TSettingsForm::ApplyEnabling() {
    for (int b = 0; b < BoxCount; ++b) model_.Set(Box(b), boxes_[b]->isChecked());
    for (int f = 0; f < FieldCount; ++f) fields_[f]->setEnabled(model_.Enabled(Field(f)));
    for (int b = 0; b < BoxCount; ++b) boxes_[b]->setEnabled(model_.Enabled(Box(b)));
}

void TSettingsForm::SetDefault() {
    ReadControls();
    model_.SetDefaults();
    ShowValues();
}

void TSettingsForm::TakeOver() {
    ReadControls();
    const ProgramOptions options = model_.TakeProgramOptions(config_.samplePeriodMs);
    config_.autoConnect = options.autoConnect;
    config_.autoRead = options.autoRead;
    config_.samplePeriodMs = options.samplePeriodMs;
    config_.autoScroll = options.autoScroll;
    core_.acquisition().options().autoConnect = options.autoConnect;
    core_.acquisition().options().autoScroll = options.autoScroll;
    core_.autoRead = options.autoRead;
    model_.TakeCachedParams(core_.connection().cachedParams());
    // A closed link would drop the option records without a word, and the edits would vanish
    // with the dialog: the user may retry once the poll has the station back, or cancel.
    if ((model_.WritesHeaterOptions() || model_.WritesFanOptions()) &&
        !core_.connection().onLine()) {
        ShowError(this, std::runtime_error(OptionsNotSentMessage));
        return;
    }
    try {
        ChangeMarks::Batch batch(core_.marks(), "Settings: options");
        if (model_.WritesHeaterOptions()) core_.link().SetOptionsH(model_.TakeHeaterOptions());
        if (model_.WritesFanOptions()) core_.link().SetOptionsF(model_.TakeFanOptions());
    } catch (const EInOutError& error) {
        // The dialog stays open: OK may be pressed again, or Cancel.
        ShowError(this, error);
        return;
    }
    accept();
}

void RunSettingsAction(AppCore& core, Config& config, QWidget* parent) {
    RunGuarded(parent, [&] {
        core.panel().ReadParams();
        {
            TSettingsForm form(core, config, parent);
            form.exec();
        }
        {
            ChangeMarks::Batch batch(core.marks(), "Settings: parameters");
            core.link().SetParH(core.panel().PanelHeaterParams());
        }
        if (core.autoRead) core.panel().ReadParams();
    });
}
