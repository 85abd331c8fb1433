// One frame of the flying camera as a pure function of the camera and that
// frame's input, so the whole flight can be checked without a window.
#pragma once

#include "camera/camera.h"

#include <optional>

namespace orvane {

// Where a frame left the mouse, and the window's size then.
struct MouseRest {
    int windowWidth = 0;
    int windowHeight = 0;
    int mouseX = 0;
    int mouseY = 0;
};

// What the controller reads from the window system in one frame.
struct CameraInput {
    int windowWidth = 0;
    int windowHeight = 0;
    // Window pixels, y growing downward.
    int mouseX = 0;
    int mouseY = 0;
    bool upKey = false;
    bool downKey = false;
    // The previous frame's; none before the first frame.
    std::optional<MouseRest> previous;
};

struct CameraStepResult {
    // False once the camera was found inside the capture box.
    bool cameraModeOn = true;
    // Whether the mouse is to be put at (mouseX, mouseY), the window's
    // centre: not once camera mode ended, nor into an empty window.
    bool putsMouse = true;
    int mouseX = 0;
    int mouseY = 0;
};

// The box over the cube that ends camera mode; its surface counts as inside.
bool insideCaptureBox(const glm::vec3& position);

// Turns, speeds up or down, flies and shifts the camera by one frame of dt
// seconds, and rebuilds its view matrix. The mouse's movement is how far it
// is from where the previous frame left it; the first frame, a frame whose
// window changed its size and a frame of an empty (minimised) window read
// none. Inside the capture box it changes nothing and leaves the mouse
// where it is.
CameraStepResult stepCamera(Camera& camera, float dt, const CameraInput& input);

} // namespace orvane
