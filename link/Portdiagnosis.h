#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "link/Inouterror.h"
#include "link/Portreason.h"

/// Why `port` gave no station, from the link error its open or identification raised: the
/// open's system error tells missing, busy and permission apart (the device's owner, mode and
/// group, the group database and /proc are read for them); "No data to receive." is no answer
/// at `baud`; anything else is that link error.
PortReason DiagnosePortError(const std::string& port, const EInOutError& error, int baud);

/// The owner, group and mode of the device behind `port`, and how its group stands with this
/// process's user.
PortReason::Access DeviceAccess(const std::string& port);

/// The programs that hold `port`: the holders of a flock on it when /proc/locks names any,
/// else every other process with the device open. Empty when nothing can be read.
std::vector<PortReason::Holder> DeviceHolders(const std::string& port,
                                              const std::string& proc = "/proc");

/// The PIDs that hold a lock on the file (`major`:`minor` of its file system, `inode`) in the
/// text of /proc/locks.
std::vector<int> LockHolders(std::string_view locks, unsigned major, unsigned minor,
                             unsigned long inode);
