// The child side of the load benchmark.
#include "bench/load_case.h"

#include "app/gl_entry_points.h"
#include "app/scene.h"
#include "bench/child_process.h"
#include "bench/process_memory.h"
#include "gfx/gl.h"
#include "gfx/shader_program.h"
#include "gfx/texture.h"
#include "scene/import_object.h"
#include "scene/model_mesh.h"
#include "window/window.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace orvane::bench {
namespace {

using Clock = std::chrono::steady_clock;

// The viewer's flag word: tangent space, joined vertices, triangles, sorted
// by primitive type.
constexpr unsigned int importFlags = 0x800B;

bool openHiddenContext() {
    if (!window::init()) {
        return false;
    }
    window::hintCoreProfile33();
    if (!window::openWindow(1280, 768, false)) {
        return false;
    }
    if (glewInit() != GLEW_OK) {
        return false;
    }
    fetchEntryPoints();
    return true;
}

// llvmpipe compiles its mipmap shaders on the first glGenerateMipmap of a
// process, which takes longer than loading a 100k-triangle model; that is
// the driver starting, not the load, so both sides pay it before the clock.
double warmUpDriver() {
    const Clock::time_point start = Clock::now();
    const Texture texture("Textures/GrassTexture.png");
    glFinish();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void copyVertices(const aiMesh& mesh, std::vector<scene::ModelVertex>& vertices) {
    vertices.resize(mesh.mNumVertices);
    const bool hasUv = mesh.HasTextureCoords(0);
    for (unsigned int v = 0; v < mesh.mNumVertices; ++v) {
        scene::ModelVertex& vertex = vertices[v];
        vertex.position = {mesh.mVertices[v].x, mesh.mVertices[v].y, mesh.mVertices[v].z};
        if (hasUv) {
            vertex.uv = {mesh.mTextureCoords[0][v].x, mesh.mTextureCoords[0][v].y};
        }
        if (mesh.mNormals != nullptr) {
            vertex.normal = {mesh.mNormals[v].x, mesh.mNormals[v].y, mesh.mNormals[v].z};
        }
    }
}

// The floor's result stays alive until the clock has stopped, as the
// viewer's buffers do.
bool loadFloor(const std::string& path, LoadReport& report,
               std::vector<std::vector<scene::ModelVertex>>& copies) {
    Assimp::Importer importer;
    const aiScene* imported = importer.ReadFile(path.c_str(), importFlags);
    if (imported == nullptr) {
        return false;
    }
    copies.resize(imported->mNumMeshes);
    for (unsigned int i = 0; i < imported->mNumMeshes; ++i) {
        copyVertices(*imported->mMeshes[i], copies[i]);
        report.triangles += imported->mMeshes[i]->mNumFaces;
    }
    report.meshes = imported->mNumMeshes;
    return true;
}

void countOurs(const scene::ImportObject& model, LoadReport& report) {
    report.meshes = model.meshes.size();
    for (const scene::ModelMesh& mesh : model.meshes) {
        report.triangles += mesh.indexCount / 3;
    }
}

bool measure(LoadSide side, const std::string& path, LoadReport& report) {
    std::unique_ptr<scene::ImportObject> model;
    std::vector<std::vector<scene::ModelVertex>> copies;
    report.baselineKb = residentKb();
    resetPeakResident();
    const Clock::time_point start = Clock::now();
    if (side == LoadSide::Ours) {
        model = std::make_unique<scene::ImportObject>(glm::mat4(1.0f), path);
        // The upload is part of the load: wait until the driver has it.
        glFinish();
    } else if (!loadFloor(path, report, copies)) {
        return false;
    }
    const Clock::time_point end = Clock::now();
    report.peakKb = peakResidentKb();
    report.seconds = std::chrono::duration<double>(end - start).count();
    if (model) {
        countOurs(*model, report);
    }
    return report.meshes > 0;
}

} // namespace

const char* sideName(LoadSide side) {
    return side == LoadSide::Ours ? "ours" : "floor";
}

bool sideFromName(const std::string& name, LoadSide& side) {
    if (name == "ours" || name == "floor") {
        side = name == "ours" ? LoadSide::Ours : LoadSide::Floor;
        return true;
    }
    return false;
}

std::string formatReport(const LoadReport& report) {
    std::ostringstream text;
    text.precision(9);
    text << report.seconds << ' ' << report.peakKb << ' ' << report.baselineKb << ' '
         << report.meshes << ' ' << report.triangles << ' ' << report.warmUpSeconds << '\n';
    return text.str();
}

bool parseReport(const std::string& text, LoadReport& report) {
    std::istringstream fields(text);
    fields >> report.seconds >> report.peakKb >> report.baselineKb >> report.meshes >>
        report.triangles >> report.warmUpSeconds;
    return static_cast<bool>(fields);
}

int runLoadCase(LoadSide side, const std::string& modelPath) {
    if (!openHiddenContext()) {
        std::cerr << "load case: no hidden OpenGL 3.3 core context" << std::endl;
        return 1;
    }
    theScene.shaderProgram = new ShaderProgram("Shader/shader.vert", "Shader/shader.frag");
    LoadReport report;
    report.warmUpSeconds = warmUpDriver();
    if (!measure(side, modelPath, report)) {
        std::cerr << "load case: the model did not load: " << modelPath << std::endl;
        return 1;
    }
    const std::string line = formatReport(report);
    const bool written =
        write(reportDescriptor, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    delete theScene.shaderProgram;
    theScene.shaderProgram = nullptr;
    window::terminate();
    return written ? 0 : 1;
}

} // namespace orvane::bench
