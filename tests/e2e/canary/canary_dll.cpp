// A stand-in planted beside Update.exe under the name of a DLL that a run loads. It exports
// nothing and does nothing when loaded: the loader's trace says where each module came from.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
