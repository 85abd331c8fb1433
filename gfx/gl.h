// Every file that calls OpenGL includes it through here, so GLEW's
// function pointers are always the ones in use.
#pragma once

#include <GL/glew.h>
