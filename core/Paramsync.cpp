#include "core/Paramsync.h"

#include "core/Appcore.h"

namespace {

using Field = PanelView::Field;

}  // namespace

PanelParams CollectPanelParams(const AppCore& core) {
    const PanelView& view = core.panelView();
    PanelParams p;
    p.HKp = view.Value(Field::HKp);
    p.HKi = view.Value(Field::HKi);
    p.HKd = view.Value(Field::HKd);
    p.Mode = view.ModeIndex();
    p.Plim = view.Value(Field::Plim);
    p.Comp = view.Value(Field::Comp);
    p.FKp = view.Value(Field::FKp);
    p.FKi = view.Value(Field::FKi);
    p.FKd = view.Value(Field::FKd);
    return p;
}

void OpenParamFile(AppCore& core, const std::filesystem::path& path) {
    const ParamSet set = LoadParamFile(path, core.connection().cachedParams());
    Updating::Guard guard(core.updating());
    PanelView& view = core.panelView();
    view.SetValue(Field::HKp, set.panel.HKp);
    view.SetValue(Field::HKi, set.panel.HKi);
    view.SetValue(Field::HKd, set.panel.HKd);
    view.SetModeIndex(set.panel.Mode);
    core.connection().cachedParams() = set.cached;
    view.SetValue(Field::Plim, set.panel.Plim);
    view.SetValue(Field::Comp, set.panel.Comp);
    view.SetValue(Field::FKp, set.panel.FKp);
    view.SetValue(Field::FKi, set.panel.FKi);
    view.SetValue(Field::FKd, set.panel.FKd);
}

void SaveParamFile(const AppCore& core, const std::filesystem::path& path) {
    ::SaveParamFile(path, CollectPanelParams(core), core.connection().cachedParams());
}
