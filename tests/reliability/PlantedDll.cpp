// A DLL of our own, planted beside Install.exe under the names of system DLLs: when any process
// loads it, it leaves a mark file beside itself (its own path with ".loaded" added).
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH + 8] = "";
        const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
        lstrcpyA(path + length, ".loaded");
        CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    return TRUE;
}
