// Start-up's last step before the scene: the entry points the scene relies
// on, fetched again by name from the window system.
#pragma once

namespace orvane {

// Needs a current context and a successful glewInit.
void fetchEntryPoints();

} // namespace orvane
