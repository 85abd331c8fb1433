// The flying camera: mouse turns and shifts it, Up and Down change its
// speed, it flies forward by itself, and the capture box ends it.
#pragma once

namespace orvane {

// Steps the scene's camera by one frame of dt seconds. Returns false, and
// changes nothing, once the camera is inside the capture box.
bool updateCamera(float dt);

} // namespace orvane
