#pragma once

#include <exception>
#include <utility>

class QWidget;

/// The application's top-level error handler: the message of whatever a user action threw,
/// in a message box titled "Tavolin"; the program goes on.
void ShowError(QWidget* parent, const std::exception& error);

/// Runs a user action, sending anything it throws to ShowError.
template <typename Action>
void RunGuarded(QWidget* parent, Action&& action) {
    try {
        std::forward<Action>(action)();
    } catch (const std::exception& error) {
        ShowError(parent, error);
    }
}
