// The model read from a Collada file through Assimp (in the decoder), one GPU
// mesh per imported mesh and one texture per material, turning about its own
// z axis.
#pragma once

#include "files/file_data.h"
#include "gfx/gl.h"
#include "scene/model_mesh.h"
#include "scene/scene_object.h"

#include <memory>
#include <string>
#include <vector>

namespace orvane {
class ShaderProgram;
class Texture;
} // namespace orvane

namespace orvane::scene {

class ImportObject : public SceneObject {
public:
    // Always completes: a model that does not load is reported on standard
    // output and leaves an object with nothing to draw.
    ImportObject(const glm::mat4& initialModelMatrix, const std::string& path);
    ~ImportObject() override;
    void update(double dt) override;
    // The caller has made the program current and uploaded modelMatrix;
    // each mesh binds its own material texture on unit 0.
    void draw() override;

    // Both tables are sized once, when the import succeeds, and never again,
    // so no record with buffers is ever moved.
    std::vector<ModelMesh> meshes;
    std::vector<std::unique_ptr<Texture>> materialTextures;
    // Not owned, and not read by the model itself.
    ShaderProgram* shader = nullptr;
    // A core-profile context sets up attributes and draws only with a vertex
    // array bound; this one is bound for the length of draw.
    GLuint vao = 0;

private:
    void loadFile(const std::string& path);
    void buildFromScene(files::ModelData& scene, const std::string& path);
    void convertMesh(unsigned int index, files::MeshData mesh);
    void loadMaterialTextures(const files::ModelData& scene, const std::string& path);
    static std::unique_ptr<Texture> loadDiffuseTexture(const std::string& fullPath);
    void drawMesh(const ModelMesh& mesh);
};

} // namespace orvane::scene
