#version 330 core
in vec2 fragmentUv;
uniform sampler2D colorTexture;
out vec4 fragcolor;
void main() {
    fragcolor = texture(colorTexture, fragmentUv);
}
