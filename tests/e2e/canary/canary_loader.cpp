// Loads each DLL named on its command line as any program would, searching its own folder
// first. Beside the planted stand-ins it shows that each would be found and taken, so that
// their absence from an updater run means something.
#include <windows.h>

int main(int argc, char** argv) {
    int missing = 0;
    for (int i = 1; i < argc; ++i) {
        if (!LoadLibraryA(argv[i])) ++missing;
    }
    return missing;
}
