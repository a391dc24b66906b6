#include "tests/core/Fakepanelview.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int DesignLastPreset = 20;
constexpr int FixedPresetEntries = 3;  // "OFF", "COOL", "STB"
constexpr double DesignSetTemperature = 350;

}  // namespace

FakePanelView::FakePanelView() {
    using F = Field;
    struct Design {
        Field field;
        double max;
        bool enabled;
    };
    const Design design[] = {
        {F::Tset, 480, false},  {F::Set, 480, false},    {F::Tget, 480, false},
        {F::Tcj, 480, false},   {F::HKp, 255, true},     {F::HKi, 255, true},
        {F::HKd, 255, true},    {F::Plim, 100, true},    {F::Power, 100, true},
        {F::Comp, 9, false},    {F::Vset, 9999, false},  {F::Vget, 9999, false},
        {F::Pwm, 255, true},    {F::FKp, 255, true},     {F::FKi, 255, true},
        {F::FKd, 255, true},    {F::TmStb, 9999, true},  {F::TmOff, 9999, true},
        {F::ThAct, 255, false}, {F::PresetT, 480, true}, {F::PresetV, 9999, true},
        {F::PresetC, 9, false},
    };
    for (const Design& d : design) fields_[d.field] = {d.max, 0, d.enabled};
    fields_[F::Set].value = DesignSetTemperature;
    boxes_ = {{Box::PidH, false}, {Box::PidF, false}, {Box::AutoStb, false}};
    controls_ = {{Control::PidF, true}, {Control::UpDown, false}};
    SetPresetList(DesignLastPreset);
    preset_ = 0;  // "OFF"
}

void FakePanelView::Fire(Field field) {
    if (panel_ != nullptr) panel_->FieldChanged(field);
}

void FakePanelView::Assign(Field field, double value) {
    FieldState& state = fields_.at(field);
    state.value = value;
    if (!(value >= 0 && value <= state.max)) {
        state.value = value > state.max ? state.max : 0;
        Fire(field);
    }
    Fire(field);
}

void FakePanelView::SetValue(Field field, double value) {
    const double current = fields_.at(field).value;
    if (std::isnan(value) || value == current) return;
    Assign(field, value);
}

void FakePanelView::Commit(Field field, double value) {
    Assign(field, value);
}

void FakePanelView::SetChecked(Box box, bool checked) {
    if (boxes_.at(box) == checked) return;
    boxes_[box] = checked;
    if (panel_ == nullptr) return;
    if (box == Box::PidH) panel_->PidHClicked();
    if (box == Box::PidF) panel_->PidFClicked();
}

void FakePanelView::SetPresetList(int lastPreset) {
    presetCount_ = FixedPresetEntries + std::max(lastPreset + 1, 0);
    preset_ = -1;  // a cleared list has no selection until one is made
}

void FakePanelView::ChooseMode(int index) {
    mode_ = index;
    if (panel_ != nullptr) panel_->HeaterParamsChanged();
}

void FakePanelView::ChoosePreset(int index) {
    preset_ = index;
    if (panel_ != nullptr) panel_->PresetRead();
}

void FakePanelView::StepUpDown(int step) {
    const int next = std::clamp(upDown_ + step, 0, UpDownMax);
    if (next == upDown_) return;
    if (panel_ != nullptr) panel_->UpDownChanging(next);
    upDown_ = next;
}
