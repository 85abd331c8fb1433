// Where the imported model's textures are looked up.
#pragma once

#include <string>

namespace orvane::scene {

// The text before the last "/" of path: "." when there is none, "/" when
// it is the first character. A backslash is not a separator.
std::string modelDirectory(const std::string& path);

} // namespace orvane::scene
