#pragma once

namespace linuxdesktop {

// Stops the X server from telling the toolkit's connection about every mouse button press
// and release anywhere on the screen (XKB state notices). The toolkit asks for all state
// changes but only reads the modifier and group parts; during a fast click run each of our
// own clicks would otherwise wake two of the program's threads right when the clicked
// program and the X server need the processors. Call after the QApplication exists.
void StopButtonStateNotices();

}  // namespace linuxdesktop
