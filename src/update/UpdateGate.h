#pragma once

namespace app {
struct Services;
}

namespace update {

// The start-up gate: checks the update server and, when it names a newer version, shows
// the update dialog. False when the program must end before any main window exists.
bool RunStartupGate(app::Services& services);

}  // namespace update
