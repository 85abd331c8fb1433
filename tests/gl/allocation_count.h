// How often the global operator new of the GL tests has been called; -1
// where it is not counted (the sanitized build).
#pragma once

long allocationCount();
