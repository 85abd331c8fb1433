// Where in the window's framebuffer the picture goes, whatever size the
// desktop gives the window.
#pragma once

namespace orvane {

struct Viewport {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest rectangle of the picture's proportions, 1280 : 768, that fits
// a framebuffer of the given size, centred in it. The projection is fixed to
// those proportions, so any other shape would stretch the picture. An empty
// framebuffer (a minimised window) gives an empty rectangle.
Viewport fitViewport(int framebufferWidth, int framebufferHeight);

} // namespace orvane
