#version 330 core

in vec2 fragmentUv;
in vec3 worldNormal;

uniform sampler2D colorTexture;

out vec4 fragcolor;

const vec3 towardLight = normalize(vec3(0.4, 1.0, 0.3));

void main() {
    vec3 base = texture(colorTexture, fragmentUv).rgb;
    // A zero normal (a mesh that came without normals) gets the plain colour.
    float light = 1.0;
    if (dot(worldNormal, worldNormal) > 1e-12) {
        // Two-sided: the scene draws without culling, so back faces show too.
        light = 0.45 + 0.55 * abs(dot(normalize(worldNormal), towardLight));
    }
    fragcolor = vec4(base * light, 1.0);
}
