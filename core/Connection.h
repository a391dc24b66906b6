#pragma once

#include <string>

#include "link/Records.h"
#include "link/Wakeport.h"

/// What the connection tells the window.
class ConnectionView {
  public:
    virtual ~ConnectionView() = default;
    /// Status bar panel 0: " OFF LINE " or " ON LINE: <identity> (<port>) ".
    virtual void ShowConnection(const std::string& text) = 0;
    /// After identification, before the kind is applied: the AutoRead hook. A link error
    /// thrown here fails the connect silently.
    virtual void Connected() = 0;
    /// After every change of the kind: the fan controls follow it.
    virtual void KindChanged(DeviceKind kind) = 0;
};

/// The station the window talks to: the chosen port, whether it is on line, which model,
/// and the heater parameters no panel field shows.
class Connection {
  public:
    /// The heater parameters the panel does not show, sent with every SetParH.
    static HeaterParams DefaultCachedParams() {
        HeaterParams p;
        p.Gain = 1000;
        return p;
    }

    Connection(TWakePort& link, ConnectionView& view) : link_(link), view_(view) {}

    TWakePort& link() noexcept { return link_; }
    DeviceKind kind() const noexcept { return kind_; }
    bool onLine() const noexcept { return kind_ != DeviceKind::None; }
    const std::string& portName() const noexcept { return portName_; }
    const std::string& identityText() const noexcept { return identityText_; }

    /// The remembered port: a device path, or empty for none.
    const std::string& selectedPort() const noexcept { return selectedPort_; }
    void SetSelectedPort(const std::string& name) { selectedPort_ = name; }

    HeaterParams& cachedParams() noexcept { return cached_; }
    const HeaterParams& cachedParams() const noexcept { return cached_; }
    /// Delay, Kp, Ki, Error, Shift, Gain and Tcjn of `read` into the cached copy.
    void CacheHiddenParams(const HeaterParams& read) noexcept;

    /// Closes the link and shows " OFF LINE "; the remembered port stays.
    void GoOffLine();
    /// Goes off line and forgets the port.
    void Disconnect();
    /// Opens the remembered port, identifies the station and, on success, shows it on line.
    /// Any link error (also "Unknown device" for a foreign identity) ends off line silently.
    /// Returns whether it is on line.
    bool ConnectSelected();
    /// The same, but a link error goes off line and then passes to the caller with its
    /// message (the command-line tool prints it).
    void Connect();

    static std::string OnLineText(const std::string& identity, const std::string& port) {
        return " ON LINE: " + identity + " (" + port + ") ";
    }
    static constexpr const char* OffLineText = " OFF LINE ";

  private:
    void SetKind(DeviceKind kind);

    TWakePort& link_;
    ConnectionView& view_;
    DeviceKind kind_ = DeviceKind::None;
    std::string portName_;
    std::string identityText_;
    std::string selectedPort_;
    HeaterParams cached_ = DefaultCachedParams();
};
