// The one doorway to the window system. It keeps the shape of the old
// GLFW 2.7 interface the viewer was designed against (one implicit window,
// events processed inside the buffer swap, integer mouse positions) on top
// of GLFW 3. No other file includes a GLFW header.
#pragma once

namespace orvane::window {

enum class Key { Escape, Up, Down };

using ProcAddress = void (*)();

bool init();
// Asks for an OpenGL 3.3 core-profile context with a 24-bit depth buffer.
void hintCoreProfile33();
// Opens the one window, windowed, and makes its context current.
// A hidden window serves tests that need a context but nothing on screen.
bool openWindow(int width, int height, bool visible = true);
void setTitle(const char* title);
ProcAddress getProcAddress(const char* name);
// Hides the cursor and holds it in the window (a browser holds it from a
// click on the picture on); from then on the mouse position follows the
// mouse's movement without limit. Leaves the position at the window's
// centre, so a still mouse reads as no movement.
void disableCursor();
double getTime();
bool isKeyDown(Key key);
void getMousePos(int& x, int& y);
void setMousePos(int x, int y);
void getWindowSize(int& width, int& height);
void setWindowSize(int width, int height);
// In pixels, which with display scaling outnumber the window's size in
// screen coordinates; 0 x 0 while the window is minimised.
void getFramebufferSize(int& width, int& height);
// Shows the frame and processes the window's pending events.
void swapBuffers();
// Processes the window's pending events outside a frame (while a file
// loads); the mouse reads as not moved by them.
void processEvents();
bool isOpen();
// As a close request from the desktop.
void requestClose();
void terminate();

} // namespace orvane::window
