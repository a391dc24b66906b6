#pragma once

#include <memory>

#include "core/Appcore.h"
#include "support/Fakeserialline.h"
#include "tests/core/Fakepanelview.h"

/// The core as the window builds it, on a scripted line and with a fake panel. It reads
/// nothing after connecting, so a test feeds only the replies its own steps ask for.
struct ScriptedCore {
    ScriptedCore() : ScriptedCore(std::make_unique<FakeSerialLine>()) {}

    std::shared_ptr<FakeSerialLine::Script> script;
    FakePanelView panelView;
    NullMainView view;
    AppCore app;

  private:
    explicit ScriptedCore(std::unique_ptr<FakeSerialLine> line)
        : script(line->script()), app(panelView, view, std::move(line)) {
        panelView.Attach(app.panel());
        app.autoRead = false;
    }
};
