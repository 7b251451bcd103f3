// A stand-in for the game's Game.exe: the installer only reads its version resource, never runs it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
