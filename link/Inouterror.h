#pragma once

#include <stdexcept>
#include <string>

/// Every failure of the station link: the message is the exact text shown to the user.
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(const std::string& message) : std::runtime_error(message) {}
};
