// The controller as the scene calls it: the window system's input fed to
// the pure camera step, and the mouse put back.
#include "camera/camera_controller.h"

#include "app/scene.h"
#include "camera/camera_step.h"
#include "window/window.h"

#include <optional>

namespace orvane {
namespace {

// Where the previous frame left the mouse, as the window system reports it.
std::optional<MouseRest> mouseRest;

} // namespace

bool updateCamera(float dt) {
    Camera& camera = *theScene.camera;
    // Once captured the controller touches nothing, not even the mouse, so
    // the cursor stops being pulled back to the centre.
    if (insideCaptureBox(camera.position)) {
        return false;
    }
    CameraInput input;
    window::getWindowSize(input.windowWidth, input.windowHeight);
    window::getMousePos(input.mouseX, input.mouseY);
    input.upKey = window::isKeyDown(window::Key::Up);
    input.downKey = window::isKeyDown(window::Key::Down);
    input.previous = mouseRest;
    const CameraStepResult step = stepCamera(camera, dt, input);
    // Back to the centre, so the next frame reads only the movement since this one.
    if (step.putsMouse) {
        window::setMousePos(step.mouseX, step.mouseY);
    }
    // Read again, not assumed: a window without the focus keeps its mouse
    // where it was, and the next frame measures from where it really is.
    MouseRest rest{input.windowWidth, input.windowHeight};
    window::getMousePos(rest.mouseX, rest.mouseY);
    mouseRest = rest;
    return step.cameraModeOn;
}

} // namespace orvane
