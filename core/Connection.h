#pragma once

#include <optional>
#include <string>

#include "link/Portreason.h"
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
    /// After every change of the connection or of why it is off line: the hint for the status
    /// panel's tool tip (Connection::Hint). A view without tool tips ignores it.
    virtual void ShowConnectionHint(const std::string& /*hint*/) {}
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
    /// Remembers `name`; a new name forgets why the previous one failed.
    void SetSelectedPort(const std::string& name);

    HeaterParams& cachedParams() noexcept { return cached_; }
    const HeaterParams& cachedParams() const noexcept { return cached_; }
    /// Delay, Kp, Ki, Error, Shift, Gain and Tcjn of `read` into the cached copy.
    void CacheHiddenParams(const HeaterParams& read) noexcept;

    /// Why the last attempt on the remembered port failed; nothing while on line, before the
    /// first attempt and when no port is remembered.
    const std::optional<PortReason>& reason() const noexcept { return reason_; }
    /// The status panel's tool tip: the connection text while on line, else "<port>: <reason>",
    /// "<port>: not tried yet" or "no port chosen".
    std::string Hint() const;

    /// Off line, an attempt on the remembered port made elsewhere (the reconnect probe) found
    /// no station: keep why, for the tool tip.
    void NoteReason(const PortReason& why);
    /// Closes the link and shows " OFF LINE "; the remembered port stays.
    void GoOffLine();
    /// A link error while on line: goes off line and keeps why (no answer, or the error).
    void Lost(const EInOutError& error);
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
    void ShowHint() { view_.ShowConnectionHint(Hint()); }

    TWakePort& link_;
    ConnectionView& view_;
    DeviceKind kind_ = DeviceKind::None;
    std::string portName_;
    std::string identityText_;
    std::string selectedPort_;
    std::optional<PortReason> reason_;
    HeaterParams cached_ = DefaultCachedParams();
};
