// A web page: WebGL 2 through emscripten, GLSL ES 3.00, and the frames run by
// the browser. What the page does around the program (the mouse taken on a
// click, the console lines shown, the end announced) is web/index.html's.
#include "platform/platform.h"

#include "platform/glsl_es.h"

// GLEW's header itself, as gfx/gl.h gives it: this folder sits below gfx/.
#include <GL/glew.h>
#include <emscripten.h>

#include <cstdlib>

namespace orvane::platform {
namespace {

struct FrameLoop {
    bool (*frame)() = nullptr;
    void (*finish)() = nullptr;
};

// The browser calls back after main has gone, so the loop cannot live on its stack.
FrameLoop theLoop;

void runOneFrame(void* loop) {
    const FrameLoop& frames = *static_cast<FrameLoop*>(loop);
    if (!frames.frame()) {
        emscripten_cancel_main_loop();
        frames.finish();
        std::exit(0);
    }
}

} // namespace

// emscripten links every entry point directly; its glewInit only answers yes.
bool loadOpenGL(ProcAddress (*)(const char*)) {
    return glewInit() == GLEW_OK;
}

std::string shaderSource(const std::string& fileText) {
    return toGlslEs300(fileText);
}

// WebGL 2 has no such call: a fragment shader's only output is colour 0.
void bindFragmentOutput(unsigned, const char*) {}

// Once per animation frame, never in a loop of its own: a loop would keep the
// page from ever showing a picture or taking an event.
void runFrames(bool (*frame)(), void (*finish)()) {
    theLoop = {frame, finish};
    emscripten_set_main_loop_arg(runOneFrame, &theLoop, 0, true);
}

} // namespace orvane::platform
