#pragma once

class QWidget;

/// Makes `control` take the mouse wheel only while it has the keyboard focus. A list or field
/// that sends to the station would otherwise change the station when the user merely scrolls
/// past it; unfocused, the wheel goes on to the control's parents as usual. A wheel turn no
/// longer gives the control the focus either.
void GuardWheel(QWidget& control);
