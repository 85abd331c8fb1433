#version 330 core
// The benchmark floor: one matrix, the texture coordinate, nothing else.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 uv;
uniform mat4 mvp;
out vec2 fragmentUv;
void main() {
    fragmentUv = uv;
    gl_Position = mvp * vec4(position, 1.0);
}
