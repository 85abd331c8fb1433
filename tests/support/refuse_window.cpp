// Preloaded into the viewer: its window refused, as without the context, on any driver.
extern "C" void* glfwCreateWindow(int, int, const char*, void*, void*) {
    return nullptr;
}
