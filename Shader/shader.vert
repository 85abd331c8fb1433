#version 330 core

// The imported model feeds its attributes by number, so the numbers are fixed.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 uv;
layout(location = 2) in vec3 normal;

uniform mat4 projectionMatrix;
uniform mat4 viewMatrix;
uniform mat4 modelMatrix;

out vec2 fragmentUv;
out float brightness;

const vec3 towardLight = normalize(vec3(0.4, 1.0, 0.3));

void main() {
    fragmentUv = uv;
    // Lit per vertex: the light is directional and the faces are flat or
    // gently curved, so per pixel would look the same and, drawn on the
    // CPU, cost a good part of every frame.
    // Every model matrix in the scene scales uniformly, so its upper 3x3
    // carries normals correctly once they are renormalised.
    vec3 worldNormal = mat3(modelMatrix) * normal;
    // A zero normal (a mesh that came without normals) gets the plain colour.
    brightness = 1.0;
    if (dot(worldNormal, worldNormal) > 1e-12) {
        // Two-sided: the scene draws without culling, so back faces show too.
        brightness = 0.45 + 0.55 * abs(dot(normalize(worldNormal), towardLight));
    }
    gl_Position = projectionMatrix * viewMatrix * modelMatrix * vec4(position, 1.0);
}
