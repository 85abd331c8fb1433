// The frame's floor: the scene's own geometry and textures, drawn through
// one minimal program with vertex arrays made in advance and one matrix
// upload per draw.
#pragma once

#include "gfx/gl.h"
#include "gfx/shader_program.h"

#include <glm/glm.hpp>
#include <vector>

namespace orvane::bench {

class FloorRenderer {
public:
    // Needs the scene set up: reads its buffers, textures and projection,
    // and later the current matrices of its camera and objects.
    FloorRenderer();
    ~FloorRenderer();
    FloorRenderer(const FloorRenderer&) = delete;
    FloorRenderer& operator=(const FloorRenderer&) = delete;

    // Clears colour and depth and draws everything where the scene has it now.
    void drawFrame();

private:
    struct Draw {
        GLuint vertexArray;
        GLsizei indexCount;
        GLuint texture;
        const glm::mat4* modelMatrix;
    };

    void addFixedMesh(GLuint vertexArray, GLuint texture, const glm::mat4* modelMatrix);
    void addModelMeshes();

    ShaderProgram shader;
    GLint mvpLocation = -1;
    glm::mat4 projection{1.0f};
    std::vector<GLuint> ownVertexArrays;
    std::vector<Draw> draws;
};

} // namespace orvane::bench
