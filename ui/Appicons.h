#pragma once

#include <QIcon>

/// The application's icon: the desktop theme's "org.zelvolab.Tavolin" when installed, else the
/// one compiled in.
QIcon ApplicationIcon();

/// The icon of an action: the desktop theme's `themeName` when the theme has it, else the
/// picture drawn for Tavolin and compiled in as `fallback` (a name under ui/icons/actions);
/// only the compiled one when `themeName` is empty.
QIcon ActionIcon(const char* themeName, const char* fallback);
