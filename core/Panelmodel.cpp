#include "core/Panelmodel.h"

#include <algorithm>

#include "core/Panelfields.h"

namespace {

// "OFF", "COOL", "STB", then the numbered presets 0..20 before the station is read.
constexpr int FixedPresetEntries = 3;
constexpr int DesignLastPreset = 20;

}  // namespace

PanelModel::PanelModel() {
    boxes_[Box::PidH] = true;
    boxes_[Box::PidF] = true;
    boxes_[Box::AutoStb] = false;
    SetPresetList(DesignLastPreset);
    preset_ = 0;
}

void PanelModel::SetValue(Field field, double value) {
    // A NaN stays out, as the window's field refuses it.
    if (value != value) return;
    values_[field] = std::clamp(value, 0.0, panelfields::DesignOf(field).max);
}

double PanelModel::Value(Field field) const {
    const auto found = values_.find(field);
    return found == values_.end() ? 0.0 : found->second;
}

bool PanelModel::Checked(Box box) const {
    const auto found = boxes_.find(box);
    return found != boxes_.end() && found->second;
}

void PanelModel::SetPresetList(int lastPreset) {
    presetCount_ = FixedPresetEntries + (lastPreset >= 0 ? lastPreset + 1 : 0);
    preset_ = -1;
}

bool PanelModel::Enabled(Field field) const {
    const auto found = enabled_.find(field);
    return found == enabled_.end() || found->second;
}
