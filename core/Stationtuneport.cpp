#include "core/Stationtuneport.h"

#include "link/Inouterror.h"

TWakePort& StationTunePort::OnLineLink() {
    if (!connection_.onLine()) throw EInOutError(OffLineMessage);
    return connection_.link();
}

PidGains StationTunePort::GetPIDH() {
    return OnLineLink().GetPIDH();
}

void StationTunePort::SetPIDH(const PidGains& gains) {
    OnLineLink().SetPIDH(gains);
}

void StationTunePort::SetT(int tset, int power) {
    OnLineLink().SetT(tset, power);
}

HeatStatus StationTunePort::GetHeat() {
    return OnLineLink().GetHeat();
}

int StationTunePort::PowerLimit() {
    return OnLineLink().GetParH().Plim;
}

void StationTunePort::Reconnect() {
    // The link may be half way through a broken frame: start afresh.
    connection_.GoOffLine();
    connection_.Connect();
}
