#version 330 core

// The imported model feeds its attributes by number, so the numbers are fixed.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 uv;
layout(location = 2) in vec3 normal;

uniform mat4 projectionMatrix;
uniform mat4 viewMatrix;
uniform mat4 modelMatrix;

out vec2 fragmentUv;
out vec3 worldNormal;

void main() {
    fragmentUv = uv;
    // Every model matrix in the scene scales uniformly, so its upper 3x3
    // carries normals correctly once they are renormalised.
    worldNormal = mat3(modelMatrix) * normal;
    gl_Position = projectionMatrix * viewMatrix * modelMatrix * vec4(position, 1.0);
}
