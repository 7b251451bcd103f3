// The reliability suite's program. Run by ctest one test at a time, each run adds its figures to
// the tally; "--reset-figures" starts a tally and "--figures" prints the sum as the run's last
// lines. "--hold PATH EVENT" and "--load DLL" are the other process some cases need: one that
// holds a file open without sharing, and one that loads a DLL by the default search order.
#include "system/ProcessSetup.h"

#include "Tally.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

int PrintFigures()
{
    const Figures figures = SumTally();
    const std::string text = FiguresText(figures);
    std::fputs(text.c_str(), stdout);
    // Kept beside the tally too, for the test command to print as its last lines.
    std::ofstream(TallyPath().substr(0, TallyPath().rfind('.')) + ".txt", std::ios::trunc) << text;
    const long long attacks = figures.badInputs + figures.faults;
    return attacks > 0 && figures.expected == attacks && figures.lost == 0 ? 0 : 1;
}

int HoldWithoutSharing(const char* path, const char* event)
{
    const HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    SetEvent(OpenEventA(EVENT_MODIFY_STATE, FALSE, event));
    Sleep(INFINITE);
    return 0;
}

int LoadByDefaultSearch(const char* dll)
{
    HMODULE module = LoadLibraryA(dll);
    char path[MAX_PATH] = "";
    if (module)
        GetModuleFileNameA(module, path, MAX_PATH);
    std::printf("%s\n", path);
    return module ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--reset-figures") == 0)
        return DeleteFileA(TallyPath().c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "--figures") == 0)
        return PrintFigures();
    if (argc == 4 && std::strcmp(argv[1], "--hold") == 0)
        return HoldWithoutSharing(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0)
        return LoadByDefaultSearch(argv[2]);

    // Not for the other processes above: "--load" shows that the default DLL search, left as it is,
    // would load a planted DLL.
    const ProcessSetup setup;
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    const Figures& figures = ProcessFigures();
    if (figures.badInputs + figures.faults > 0) {
        AppendToTally(figures);
        std::fputs(FiguresText(figures).c_str(), stdout);
    }
    return result;
}
