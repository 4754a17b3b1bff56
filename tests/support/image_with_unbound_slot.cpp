// Calls a delay-loaded function through the headers' own dllimport declaration, which the delay
// library's users are built without: ld leaves the slot this call reads empty, and the image
// check must reject the image for it.
#undef WINADVAPI
#include <windows.h>

int main() {
    return static_cast<int>(RegCloseKey(nullptr));
}
