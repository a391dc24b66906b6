#pragma once

#include <string>

/// `path` as a symbolic link to `target` for the object's life. A link left behind by an
/// earlier run is replaced; anything else at `path` is left alone and refused.
class DeviceLink {
  public:
    /// Throws std::system_error when the link cannot be made.
    DeviceLink(std::string path, std::string target);
    /// Removes the link, unless something else has taken its place meanwhile.
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

  private:
    std::string path_;
    std::string target_;
};
