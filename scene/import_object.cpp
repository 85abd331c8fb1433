#include "scene/import_object.h"

namespace orvane::scene {

// Placeholder until the model import lands.
ImportObject::ImportObject(const glm::mat4& initialModelMatrix, const std::string& /*path*/)
    : SceneObject(initialModelMatrix) {}

ImportObject::~ImportObject() = default;

void ImportObject::update(double /*dt*/) {}

void ImportObject::draw() {}

} // namespace orvane::scene
