// The viewer's start-up, its frame and its shutdown, written once: main runs
// them as the viewer; the benchmark and the tests' OpenGL context call the
// same steps.
#pragma once

namespace orvane {

// Where a start-up stopped short of the scene.
enum class StartupFailure { None, WindowSystem, Window, Glew };

// The line the viewer prints for the failure before it exits.
const char* failureMessage(StartupFailure failure);

// The window system, the 1280 x 768 window with its OpenGL 3.3 core context,
// GLEW and the entry points the scene needs. A window that does not open
// shuts the window system down again before this returns. A hidden window
// serves callers that draw but show nothing.
StartupFailure openWindowAndContext(bool visible = true);

// The scene, the clear colour and the viewport: what follows a context.
void startScene();

struct FrameClock {
    // The timer's reading at the start of the previous frame.
    double previousFrameTime = 0.0;
};

// The scene advanced by dt and drawn into the centred rectangle that
// fitViewport gives for a framebuffer of this size. An empty framebuffer (a
// minimised window) gets no drawing, but the scene goes on, as time does.
void updateAndDraw(double dt, int framebufferWidth, int framebufferHeight);

// One pass of the frame loop: clear, time, update and draw into the window's
// framebuffer as it is now, swap (which also takes in the window's events),
// the end test and the error check. Returns whether another frame follows.
bool runFrame(FrameClock& clock);

// After the last frame: the scene torn down, the window system shut down.
void shutDown();

} // namespace orvane
