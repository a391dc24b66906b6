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
      acquisition_(connection_, panel_, store_, *this) {}

// Nothing is sent at close: the station keeps running on its last set points.
AppCore::~AppCore() {
    link_->Close();
}

void AppCore::Connected() {
    if (autoRead) panel_.ReadParams();
}
