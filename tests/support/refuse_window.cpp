// Preloaded into the viewer by the test that needs its window refused: the
// window system then says no as a driver without the context asked for
// does, whatever driver the machine has.
extern "C" void* glfwCreateWindow(int, int, const char*, void*, void*) {
    return nullptr;
}
