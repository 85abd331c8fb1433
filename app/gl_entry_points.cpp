// Fetching the scene's vertex-array and mipmap entry points by name.
#include "app/gl_entry_points.h"

#include "gfx/gl.h"
#include "window/window.h"

namespace orvane {

// The vertex arrays and the mipmaps go through these four; what the window
// system hands back replaces what glewInit stored, null or not.
void fetchEntryPoints() {
    using window::getProcAddress;
    __glewGenVertexArrays =
        reinterpret_cast<PFNGLGENVERTEXARRAYSPROC>(getProcAddress("glGenVertexArrays"));
    __glewBindVertexArray =
        reinterpret_cast<PFNGLBINDVERTEXARRAYPROC>(getProcAddress("glBindVertexArray"));
    __glewDeleteVertexArrays =
        reinterpret_cast<PFNGLDELETEVERTEXARRAYSPROC>(getProcAddress("glDeleteVertexArrays"));
    __glewGenerateMipmap =
        reinterpret_cast<PFNGLGENERATEMIPMAPPROC>(getProcAddress("glGenerateMipmap"));
}

} // namespace orvane
