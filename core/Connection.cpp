#include "core/Connection.h"

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

void Connection::GoOffLine() {
    link_.Close();
    kind_ = DeviceKind::None;
    portName_.clear();
    identityText_.clear();
    view_.ShowConnection(OffLineText);
    view_.KindChanged(DeviceKind::None);
}

void Connection::Disconnect() {
    GoOffLine();
    selectedPort_.clear();
}

void Connection::Connect() {
    try {
        link_.Open(selectedPort_);
        portName_ = link_.PortName();
        identityText_ = link_.GetInfo(0);
        const DeviceKind kind = TWakePort::Identify(identityText_);
        if (kind == DeviceKind::None) throw EInOutError("Unknown device");
        kind_ = kind;
        view_.ShowConnection(OnLineText(identityText_, portName_));
        view_.Connected();
        SetKind(kind);
    } catch (const EInOutError&) {
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
