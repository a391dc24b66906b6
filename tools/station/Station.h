#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "link/Records.h"
#include "tools/station/Stationmodel.h"
#include "tools/station/Stationrecords.h"
#include "tools/station/Wirebytes.h"

/// One station: its model, identity, stored records and physics, answering one request at a
/// time with the reply data it would send.
///
/// Error codes it answers with: 1 for an unknown command, for a fan command to a KRT-51 (it
/// has no fan loop) and for request data of the wrong length; 4 for a preset index beyond the
/// station's presets. A refused request changes nothing.
class Station {
  public:
    static constexpr std::uint8_t Ok = 0;
    static constexpr std::uint8_t BadPacket = 1;
    static constexpr std::uint8_t BadParameter = 4;

    /// `identity` empty gives "<model> Emulator v1".
    Station(DeviceKind kind, std::string identity, std::uint32_t seed,
            const HeaterPlant& plant = {});

    /// True for the commands whose reply carries no error code byte (2 echo, 3 identity).
    static bool RepliesWithoutErrorCode(std::uint8_t command) noexcept;

    /// Lets the physics run for `elapsed` under the current records.
    void Advance(std::chrono::microseconds elapsed);

    /// Applies one request and returns the reply data: the error code first, then the fields
    /// of the command's record (the identity text and a zero byte for command 3).
    Bytes Handle(std::uint8_t command, const std::uint8_t* data, std::size_t count);

    DeviceKind Kind() const noexcept { return kind_; }
    const std::string& Identity() const noexcept { return identity_; }
    const StationRecords& Records() const noexcept { return records_; }
    const StationModel& Model() const noexcept { return model_; }

  private:
    StationModel::Inputs ModelInputs() const noexcept;
    bool IsFanCommand(std::uint8_t command) const noexcept;
    Bytes Apply(std::uint8_t command, WireReader& in);
    Bytes Read(std::uint8_t command, WireReader& in);

    DeviceKind kind_;
    std::string identity_;
    StationRecords records_;
    StationModel model_;
};
