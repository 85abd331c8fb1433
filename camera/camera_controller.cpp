#include "camera/camera_controller.h"

namespace orvane {

// Placeholder until the controller lands.
bool updateCamera(float /*dt*/) {
    return true;
}

} // namespace orvane
