#pragma once

#include <optional>
#include <string>

#include "core/Appcore.h"
#include "core/Panelmodel.h"

/// Whether Read Params follows each connect, as the window's AutoRead option.
enum class AutoRead { Off, On };

/// The window's core without a window: a panel that only holds values and a view that shows
/// nothing. The commands connect, read, write and record through it exactly as the window
/// does.
class CliCore {
  public:
    explicit CliCore(AutoRead autoRead);

    /// Remembers `port` (or, without one, the first port whose station answers) and connects
    /// to it as the window does: open, GetInfo, identify, then Read Params with AutoRead.
    /// Throws CliLinkError with the link's message ("Unknown device" for an identity of neither
    /// model) and why the port holds no station; the connection is off line then.
    void Connect(const std::optional<std::string>& port);

    AppCore& core() noexcept { return core_; }

  private:
    PanelModel panel_;
    NullMainView view_;
    AppCore core_;
};
