#pragma once

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "link/Portscan.h"
#include "link/Serialline.h"

/// Finds out, on a thread of its own and with a link of its own, whether a station the
/// program knows answers on a port: open, GetInfo, close. The caller's thread never waits for
/// a silent or missing station; it connects only once a probe has found one.
class StationProbe {
  public:
    using LineFactory = std::function<std::unique_ptr<SerialLine>()>;

    /// `makeLine` gives each probe its serial line; empty: a real port.
    explicit StationProbe(LineFactory makeLine = nullptr);
    /// Waits for a probe under way: at most one open and one GetInfo.
    ~StationProbe();
    StationProbe(const StationProbe&) = delete;
    StationProbe& operator=(const StationProbe&) = delete;

    /// True once a finished probe of `port` heard a KRT-51 or KRF-51; each such answer is
    /// handed out once. Otherwise makes sure a probe of `port` is under way and returns false
    /// at once.
    bool StationAnswered(const std::string& port);
    /// Why the last probe StationAnswered took found no station on `port`: nothing when it
    /// found one, when none has been taken yet, or when it probed another port.
    std::optional<PortReason> reason(const std::string& port) const;
    /// Waits until a probe under way has finished; its result is kept for StationAnswered.
    void Wait() const;
    /// Waits for a probe under way and forgets it, so that the port is free again.
    void Cancel();
    bool busy() const noexcept { return pending_.valid(); }

  private:
    void Start(const std::string& port);

    LineFactory makeLine_;
    std::string port_;
    std::future<PortProbe> pending_;
    std::string takenPort_;
    std::optional<PortReason> takenReason_;
};
