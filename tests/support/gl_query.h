// Asking OpenGL for its state, as GL tests check it.
#pragma once

#include "gfx/gl.h"

namespace orvane::test {

inline GLint glInteger(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// The size of a buffer object's store, in bytes.
inline GLint bufferBytes(GLuint buffer) {
    GLint size = -1;
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return size;
}

} // namespace orvane::test
