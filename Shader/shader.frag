#version 330 core

in vec2 fragmentUv;
in float brightness;

uniform sampler2D colorTexture;

out vec4 fragcolor;

void main() {
    fragcolor = vec4(texture(colorTexture, fragmentUv).rgb * brightness, 1.0);
}
