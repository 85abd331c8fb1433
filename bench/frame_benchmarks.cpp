// The viewer's frame is its loop's own pass, runFrame: clear, timer, update,
// draw, swap with the window's events, end test, error check. The floor
// clears and draws the same buffers with the same textures through one
// minimal program, with vertex arrays made beforehand, and swaps. The camera
// is held still where all four objects show, so every frame draws the same
// picture; its step still runs every frame.
#include "app/frame_loop.h"
#include "app/scene.h"
#include "bench/benchmarks.h"
#include "camera/camera.h"
#include "gfx/shader_program.h"
#include "gfx/texture.h"
#include "scene/cube.h"
#include "scene/flieger.h"
#include "scene/import_object.h"
#include "scene/terrain.h"
#include "window/window.h"

#include <benchmark/benchmark.h>
#include <glm/gtc/type_ptr.hpp>

#include <memory>
#include <vector>

namespace orvane::bench {
namespace {

class Floor {
public:
    Floor() : shader("bench/floor.vert", "bench/floor.frag") {
        mvpLocation = glGetUniformLocation(shader.program, "mvp");
        glGetUniformfv(theScene.shaderProgram->program, theScene.projectionMatrixLocation,
                       glm::value_ptr(projection));
        const GLuint cube = theScene.companionCubeTexture->id;
        addFixedMesh(*theScene.cube, cube);
        addFixedMesh(*theScene.flieger, cube);
        addFixedMesh(*theScene.terrain, theScene.grassTexture->id);
        for (const scene::ModelMesh& mesh : theScene.importObject->meshes) {
            addModelMesh(mesh);
        }
    }
    ~Floor() { glDeleteVertexArrays(static_cast<GLsizei>(ownArrays.size()), ownArrays.data()); }
    Floor(const Floor&) = delete;
    Floor& operator=(const Floor&) = delete;

    void frame() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(shader.program);
        glActiveTexture(GL_TEXTURE0);
        const glm::mat4 projectionView = projection * theScene.camera->viewMatrix;
        for (const Draw& draw : draws) {
            const glm::mat4 mvp = projectionView * *draw.modelMatrix;
            glUniformMatrix4fv(mvpLocation, 1, GL_FALSE, glm::value_ptr(mvp));
            glBindTexture(GL_TEXTURE_2D, draw.texture);
            glBindVertexArray(draw.vertexArray);
            glDrawElements(GL_TRIANGLES, draw.indexCount, GL_UNSIGNED_INT, nullptr);
        }
        glBindVertexArray(0);
        window::swapBuffers();
    }

private:
    struct Draw {
        GLuint vertexArray;
        GLsizei indexCount;
        GLuint texture;
        const glm::mat4* modelMatrix;
    };

    void addFixedMesh(const scene::FixedMesh& mesh, GLuint texture) {
        GLint indexBytes = 0;
        glBindBuffer(GL_COPY_READ_BUFFER, mesh.indexBuffer);
        glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &indexBytes);
        glBindBuffer(GL_COPY_READ_BUFFER, 0);
        draws.push_back({mesh.vao, indexBytes / 4, texture, &mesh.modelMatrix});
    }

    // The model's buffers with the texture its own draw binds.
    void addModelMesh(const scene::ModelMesh& mesh) {
        const scene::ImportObject& model = *theScene.importObject;
        GLuint vertexArray = 0;
        glGenVertexArrays(1, &vertexArray);
        ownArrays.push_back(vertexArray);
        glBindVertexArray(vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
        const GLsizei stride = sizeof(scene::ModelVertex);
        for (GLuint location = 0; location < 2; ++location) {
            glEnableVertexAttribArray(location);
            glVertexAttribPointer(location, location == 0 ? 3 : 2, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(location == 0 ? 0 : 12));
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer);
        glBindVertexArray(0);
        const Texture* texture = model.materialTextures.at(mesh.materialIndex).get();
        draws.push_back(
            {vertexArray, static_cast<GLsizei>(mesh.indexCount), texture->id, &model.modelMatrix});
    }

    ShaderProgram shader;
    GLint mvpLocation = -1;
    glm::mat4 projection{1.0f};
    std::vector<GLuint> ownArrays;
    std::vector<Draw> draws;
};

// Behind the cube and the model, a little above them, looking along -z and
// slightly down: the cube left of centre, the model right of it.
void holdCameraStill() {
    Camera& camera = *theScene.camera;
    camera.position = glm::vec3(5.0f, 3.0f, 9.0f);
    camera.horizontalAngle = 3.1415927f;
    camera.verticalAngle = -0.27f;
    camera.speed = 0.0f;
}

// Opened on the first run and kept for the rest of the process: both
// families draw into the same window. Null when no window opens.
Floor* scene() {
    static const std::unique_ptr<Floor> floor = [] {
        if (openWindowAndContext() != StartupFailure::None) {
            return std::unique_ptr<Floor>();
        }
        const QuietOutput quiet;
        startScene();
        holdCameraStill();
        return std::make_unique<Floor>();
    }();
    return floor.get();
}

void viewerFrames(benchmark::State& state) {
    if (scene() == nullptr) {
        state.SkipWithError("no window with an OpenGL 3.3 core context");
        return;
    }
    FrameClock clock{window::getTime()};
    for (auto _ : state) {
        runFrame(clock);
    }
}

void floorFrames(benchmark::State& state) {
    Floor* floor = scene();
    if (floor == nullptr) {
        state.SkipWithError("no window with an OpenGL 3.3 core context");
        return;
    }
    for (auto _ : state) {
        floor->frame();
    }
}

} // namespace

void registerFrameBenchmarks() {
    for (const auto& [name, frames] :
         {std::pair{"frame/viewer", viewerFrames}, std::pair{"frame/floor", floorFrames}}) {
        benchmark::RegisterBenchmark(name, frames)->UseRealTime()->Unit(benchmark::kMillisecond);
    }
}

} // namespace orvane::bench
