// Each load runs in a child process of its own, so that its peak memory is
// its own and no load inherits another's heap. The child opens a hidden
// context, builds the scene's shader program and loads one texture before
// the clock starts, on both sides alike: llvmpipe compiles its mipmap shaders
// on a process's first texture, which is the driver starting, not the load.
// Ours is the model's constructor (the decoder's read and conversion, the
// reply, the upload, the material textures) until the driver has it all; the
// floor is Assimp's ReadFile in the process itself, with the same flags and a
// copy of every vertex into the same 32-byte layout. Our peak memory is the
// viewer's and the decoder's added up, as if both peaked at once.
#include "app/frame_loop.h"
#include "app/scene.h"
#include "bench/benchmarks.h"
#include "files/decoder.h"
#include "gfx/shader_program.h"
#include "gfx/texture.h"
#include "scene/import_object.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace orvane::bench {
namespace {

using Copies = std::vector<std::vector<files::ModelVertex>>;

void copyIntoViewerLayout(const std::string& path, Copies& copies) {
    Assimp::Importer importer;
    const aiScene* imported = importer.ReadFile(path, 0x800B);
    copies.resize(imported != nullptr ? imported->mNumMeshes : 0);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        const aiMesh& mesh = *imported->mMeshes[i];
        copies[i].resize(mesh.mNumVertices);
        for (unsigned int v = 0; v < mesh.mNumVertices; ++v) {
            files::ModelVertex& vertex = copies[i][v];
            vertex.position = {mesh.mVertices[v].x, mesh.mVertices[v].y, mesh.mVertices[v].z};
            if (mesh.HasTextureCoords(0)) {
                vertex.uv = {mesh.mTextureCoords[0][v].x, mesh.mTextureCoords[0][v].y};
            }
            if (mesh.mNormals != nullptr) {
                vertex.normal = {mesh.mNormals[v].x, mesh.mNormals[v].y, mesh.mNormals[v].z};
            }
        }
    }
}

long peakResidentKb(const std::filesystem::path& process = "/proc/self") {
    std::ifstream status(process / "status");
    std::string field;
    long kb = 0;
    while (status >> field && field != "VmHWM:") {
        status.ignore(256, '\n');
    }
    status >> kb;
    return kb;
}

// The decoder's own peak, read while it still runs. (Its rusage would be
// no use: a process started by vfork takes its parent's peak as its own.)
long decoderPeakKb() {
    long peakKb = 0;
    for (const auto& process : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(process.path() / "stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        char state = 0;
        int parent = 0;
        if (fields >> state >> parent && parent == getpid()) {
            peakKb += peakResidentKb(process.path());
        }
    }
    return peakKb;
}

// One load in a child: its seconds and peak kB, or false when it failed.
bool runChild(const std::string& side, const std::string& model, double& seconds, long& peakKb) {
    static const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = self + " --load-child " + side + " '" + model + "'";
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) {
        return false;
    }
    const bool read = std::fscanf(child, "%lf %ld", &seconds, &peakKb) == 2;
    return pclose(child) == 0 && read;
}

void load(benchmark::State& state, const std::string& side, const std::string& model) {
    long peakKb = 0;
    for (auto _ : state) {
        double seconds = 0.0;
        if (!runChild(side, model, seconds, peakKb)) {
            state.SkipWithError(("the " + side + " load of " + model + " failed").c_str());
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
}

// The clock runs from the first byte read to the last buffer uploaded.
double timeLoad(const std::string& side, const std::string& modelPath, std::size_t& meshes) {
    // What each side makes stays until the clock has stopped, as the
    // viewer's buffers stay.
    std::unique_ptr<scene::ImportObject> model;
    Copies copies;
    const auto start = std::chrono::steady_clock::now();
    if (side == "ours") {
        model = std::make_unique<scene::ImportObject>(glm::mat4(1.0f), modelPath);
        // The upload is part of the load: until the driver has it all.
        glFinish();
    } else {
        copyIntoViewerLayout(modelPath, copies);
    }
    const auto end = std::chrono::steady_clock::now();
    meshes = model ? model->meshes.size() : copies.size();
    return std::chrono::duration<double>(end - start).count();
}

} // namespace

bool registerLoadBenchmarks(const std::string& folder) {
    // A load of 1M triangles takes seconds, so fewer of them.
    for (const auto& [triangles, loads] : {std::pair{10000, 3}, {100000, 2}, {1000000, 1}}) {
        const std::string model = folder + "/" + std::to_string(triangles) + "/Untitled.dae";
        const std::string make = std::string(ORVANE_MAKE_MODEL) + " '" + model + "' --triangles " +
                                 std::to_string(triangles) + " > /dev/null";
        if (std::system(make.c_str()) != 0) {
            std::fprintf(stderr, "make_model failed for %d triangles\n", triangles);
            return false;
        }
        for (const char* side : {"ours", "floor"}) {
            const std::string name = std::string("load/") + side + "/" + std::to_string(triangles);
            benchmark::RegisterBenchmark(name.c_str(), load, side, model)
                ->UseManualTime()
                ->Iterations(loads)
                ->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}

int runLoadChild(const std::string& side, const std::string& modelPath) {
    if (openWindowAndContext(false) != StartupFailure::None) {
        return 1;
    }
    std::size_t meshes = 0;
    double seconds = 0.0;
    {
        const QuietOutput quiet;
        const ShaderProgram shader("Shader/shader.vert", "Shader/shader.frag");
        theScene.shaderProgram = const_cast<ShaderProgram*>(&shader);
        const Texture warmUp("Textures/GrassTexture.png");
        glFinish();
        seconds = timeLoad(side, modelPath, meshes);
    }
    // The floor's decoder read only the warm-up texture: not counted.
    const long decoderKb = side == "ours" ? decoderPeakKb() : 0;
    files::finishReading();
    std::printf("%.9f %ld\n", seconds, peakResidentKb() + decoderKb);
    return meshes > 0 ? 0 : 1;
}

} // namespace orvane::bench
