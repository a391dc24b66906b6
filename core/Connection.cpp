#include "core/Connection.h"

#include "link/Portdiagnosis.h"

void Connection::CacheHiddenParams(const HeaterParams& read) noexcept {
    cached_.Delay = read.Delay;
    cached_.Kp = read.Kp;
    cached_.Ki = read.Ki;
    cached_.Error = read.Error;
    cached_.Shift = read.Shift;
    cached_.Gain = read.Gain;
    cached_.Tcjn = read.Tcjn;
}

void Connection::SetKind(DeviceKind kind) {
    kind_ = kind;
    view_.KindChanged(kind);
}

void Connection::SetSelectedPort(const std::string& name) {
    if (name == selectedPort_) return;
    selectedPort_ = name;
    reason_.reset();
    if (!onLine()) ShowHint();
}

std::string Connection::Hint() const {
    if (onLine()) return OnLineText(identityText_, portName_);
    if (selectedPort_.empty()) return "no port chosen";
    return selectedPort_ + ": " + (reason_ ? reason_->text() : std::string("not tried yet"));
}

void Connection::NoteReason(const PortReason& why) {
    if (onLine() || reason_ == why) return;
    reason_ = why;
    ShowHint();
}

void Connection::GoOffLine() {
    link_.Close();
    kind_ = DeviceKind::None;
    portName_.clear();
    identityText_.clear();
    view_.ShowConnection(OffLineText);
    view_.KindChanged(DeviceKind::None);
    ShowHint();
}

void Connection::Lost(const EInOutError& error) {
    reason_ = DiagnosePortError(selectedPort_, error, link_.Baud());
    GoOffLine();
}

void Connection::Disconnect() {
    selectedPort_.clear();
    reason_.reset();
    GoOffLine();
}

void Connection::Connect() {
    std::optional<PortReason> foreign;
    try {
        link_.Open(selectedPort_);
        portName_ = link_.PortName();
        identityText_ = link_.GetInfo(0);
        const DeviceKind kind = TWakePort::Identify(identityText_);
        if (kind == DeviceKind::None) {
            foreign = PortReason::ForeignIdentity(identityText_);
            throw EInOutError("Unknown device");
        }
        kind_ = kind;
        reason_.reset();
        view_.ShowConnection(OnLineText(identityText_, portName_));
        ShowHint();
        view_.Connected();
        SetKind(kind);
    } catch (const EInOutError& e) {
        if (selectedPort_.empty()) {
            reason_.reset();
        } else {
            reason_ = foreign ? *foreign : DiagnosePortError(selectedPort_, e, link_.Baud());
        }
        GoOffLine();
        throw;
    }
}

bool Connection::ConnectSelected() {
    try {
        Connect();
        return true;
    } catch (const EInOutError&) {
        // A failed connect is not the user's business: the status says off line and the
        // poll loop tries again.
        return false;
    }
}
