#pragma once

// The numbers behind the main window's target, button and click type choices. They are the
// item indexes of the lists and the values settings.ini and the macro files hold, so an
// existing file keeps its meaning only while these stay as they are.

// [Target] mode: which radio button of the target group is checked.
enum TTargetMode : int { tmCursorPosition = 0, tmCoordinates = 1, tmMacros = 2 };

// [Click] type: the item index of cbClickType.
enum TClickType : int { ctSingle = 0, ctDouble = 1, ctHold = 2 };

// [Click] button, the item index of cbButton, and the Button field of a recorded event.
// Any other number presses nothing.
enum TMouseButton : int { mbLeft = 0, mbRight = 1, mbMiddle = 2 };
