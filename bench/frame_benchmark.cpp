// The viewer's frame is its loop body as main runs it: clear, the timer,
// updateScene, drawScene, the swap (with the window's events), the loop's
// checks and the GL error query. A floor's frame is clear, draw, swap.
// The camera is held still at a viewpoint that shows all four objects, so
// every block draws the same picture; its step still runs every frame.
#include "bench/frame_benchmark.h"

#include "app/gl_entry_points.h"
#include "app/scene.h"
#include "bench/allocation_counter.h"
#include "bench/floor_renderer.h"
#include "bench/silenced_stdout.h"
#include "bench/statistics.h"
#include "camera/camera.h"
#include "gfx/gl.h"
#include "window/window.h"

#include <chrono>
#include <iostream>
#include <vector>

namespace orvane::bench {
namespace {

using Clock = std::chrono::steady_clock;

// As the viewer starts, up to the first frame.
bool startViewer() {
    if (!window::init()) {
        std::cerr << "The window system did not start" << std::endl;
        return false;
    }
    window::hintCoreProfile33();
    if (!window::openWindow(1280, 768)) {
        std::cerr << "Failed to open window (no OpenGL 3.3 core context)" << std::endl;
        window::terminate();
        return false;
    }
    if (glewInit() != GLEW_OK) {
        std::cerr << "Failed to initialise GLEW" << std::endl;
        window::terminate();
        return false;
    }
    fetchEntryPoints();
    {
        const SilencedStdout quiet;
        setupScene();
    }
    glClearColor(0.3f, 0.5f, 1.0f, 0.0f);
    glViewport(0, 0, 1280, 768);
    return true;
}

// Behind the cube and the model, a little above them, looking along -z and
// slightly down: the ground fills the lower half, the cube stands left of
// centre, the model at (10, 0, 0) right of it, the flyer below the middle.
void holdCameraStill() {
    Camera& camera = *theScene.camera;
    camera.position = glm::vec3(5.0f, 3.0f, 9.0f);
    camera.horizontalAngle = 3.1415927f;
    camera.verticalAngle = -0.27f;
    camera.speed = 0.0f;
}

struct ViewerLoop {
    double previousFrameTime = 0.0;
    int glErrorFrames = 0;
};

double viewerFrame(ViewerLoop& loop) {
    const Clock::time_point start = Clock::now();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const double now = window::getTime();
    const double dt = now - loop.previousFrameTime;
    loop.previousFrameTime = now;
    updateScene(dt);
    drawScene();
    window::swapBuffers();
    // The loop's end test, made as the viewer makes it; the benchmark goes on.
    [[maybe_unused]] const bool running =
        !window::isKeyDown(window::Key::Escape) && window::isOpen();
    if (glGetError() != GL_NO_ERROR) {
        ++loop.glErrorFrames;
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double floorFrame(FloorRenderer& floor) {
    const Clock::time_point start = Clock::now();
    floor.drawFrame();
    window::swapBuffers();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string glText(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "unknown";
}

void floorBlock(FloorRenderer& floor, int frames, std::vector<double>& times) {
    for (int i = 0; i < frames; ++i) {
        times.push_back(floorFrame(floor));
    }
}

void runBlocks(const FrameSettings& settings, FloorRenderer& floor, FrameFigures& figures) {
    ViewerLoop loop;
    loop.previousFrameTime = window::getTime();
    for (int i = 0; i < settings.warmUpFrames; ++i) {
        viewerFrame(loop);
        floorFrame(floor);
    }
    loop.glErrorFrames = 0;
    std::vector<double> ours;
    std::vector<double> floorTimes;
    const std::uint64_t allocationsBefore = countedAllocations();
    for (int block = 0; block < settings.blocks; ++block) {
        for (int i = 0; i < settings.framesPerBlock; ++i) {
            startCountingAllocations();
            const double ms = viewerFrame(loop);
            stopCountingAllocations();
            ours.push_back(ms);
        }
        floorBlock(floor, settings.framesPerBlock, floorTimes);
    }
    figures.allocations = countedAllocations() - allocationsBefore;
    figures.oursFrames = static_cast<int>(ours.size());
    figures.floorFrames = static_cast<int>(floorTimes.size());
    figures.oursMs = median(ours);
    figures.floorMs = median(floorTimes);
    figures.allocationsPerFrame =
        ours.empty() ? 0.0 : static_cast<double>(figures.allocations) / ours.size();
    figures.glErrorFrames = loop.glErrorFrames;
}

} // namespace

bool measureFrames(const FrameSettings& settings, FrameFigures& figures) {
    if (!startViewer()) {
        return false;
    }
    figures.renderer = glText(GL_RENDERER);
    figures.glVersion = glText(GL_VERSION);
    holdCameraStill();
    {
        FloorRenderer floor;
        runBlocks(settings, floor, figures);
    }
    teardownScene();
    window::terminate();
    return true;
}

} // namespace orvane::bench
