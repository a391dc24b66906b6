#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "link/Inouterror.h"
#include "link/Wakeport.h"
#include "support/Stationprocess.h"

/// The message of the EInOutError `call` throws; fails the test when it throws none.
inline std::string LinkError(const std::function<void()>& call) {
    try {
        call();
    } catch (const EInOutError& e) {
        return e.what();
    }
    ADD_FAILURE() << "no link error";
    return {};
}

/// A station process and a link opened on it.
class WireStation {
  public:
    explicit WireStation(StationConfig config) : station(std::move(config)) {
        port.Open(station.Link());
    }

    StationProcess station;
    TWakePort port;  // declared after the station: closed before it stops
};
