// The process-wide scene: every object the viewer builds, and the four
// operations the frame loop drives it with.
#pragma once

#include <cstdint>

namespace orvane {

struct Camera;
class ShaderProgram;
class Texture;
namespace scene {
class Cube;
class Flieger;
class Terrain;
class ImportObject;
} // namespace scene

struct Scene {
    Camera* camera = nullptr;
    ShaderProgram* shaderProgram = nullptr;
    scene::Cube* cube = nullptr;
    scene::Flieger* flieger = nullptr;
    scene::Terrain* terrain = nullptr;
    scene::ImportObject* importObject = nullptr;
    Texture* companionCubeTexture = nullptr;
    Texture* grassTexture = nullptr;
    std::int32_t projectionMatrixLocation = -1;
    std::int32_t viewMatrixLocation = -1;
    std::int32_t modelMatrixLocation = -1;
    bool cameraMode = false;
};

extern Scene theScene;

// Needs the window, a current OpenGL 3.3 core context and the entry points.
void setupScene();
void updateScene(double dt);
void drawScene();
void teardownScene();

} // namespace orvane
