#include "core/Appcore.h"

namespace {

std::unique_ptr<TWakePort> MakeLink(std::unique_ptr<SerialLine> line) {
    return line ? std::make_unique<TWakePort>(std::move(line)) : std::make_unique<TWakePort>();
}

}  // namespace

AppCore::AppCore(PanelView& panelView, MainView& view, std::unique_ptr<SerialLine> line)
    : view_(view),
      panelView_(panelView),
      link_(MakeLink(std::move(line))),
      connection_(*link_, *this),
      panel_(connection_, panelView, updating_),
      acquisition_(connection_, panel_, store_, *this),
      marks_(changelog_,
             [this]() -> std::optional<int> {
                 // A change made while recording precedes the next sample.
                 if (acquisition_.state() != AcqState::Running) return std::nullopt;
                 return store_.count();
             }),
      journal_(&changelog_) {
    link_->SetObserver(&marks_);
}

// Nothing is sent at close: the station keeps running on its last set points.
AppCore::~AppCore() {
    link_->SetObserver(nullptr);
    link_->Close();
}

void AppCore::WriteParams() {
    ChangeMarks::Batch batch(marks_, "Write Params");
    panel_.WriteParams();
}

bool AppCore::CutLeft(int k) {
    if (!store_.CutLeft(k)) return false;
    changelog_.CutLeft(k);
    return true;
}

bool AppCore::CutRight(int k) {
    if (!store_.CutRight(k)) return false;
    changelog_.CutRight(k);
    return true;
}

void AppCore::ProbeInBackground(StationProbe::LineFactory makeLine) {
    acquisition_.SetProbe(nullptr);
    probe_ = std::make_unique<StationProbe>(std::move(makeLine));
    acquisition_.SetProbe(probe_.get());
}

void AppCore::StopProbe() {
    if (probe_) probe_->Cancel();
}

void AppCore::Connected() {
    health_.ConnectionStarted(link_->counts());
    if (autoRead) panel_.ReadParams();
}
