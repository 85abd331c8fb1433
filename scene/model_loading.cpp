// Where the imported model's textures are looked up.
#include "scene/model_loading.h"

namespace orvane::scene {

std::string modelDirectory(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

} // namespace orvane::scene
