// Row 5: what Install.exe weighs: its size, the DLLs it needs, and the memory an install takes.
#include "bench/Rows.h"
#include "system/PeImports.h"

#include "system/Win32Error.h"

#include <windows.h>

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

double FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        ThrowLastError("Read file size", path);
    return static_cast<double>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

}  // namespace

std::vector<Row> MeasureFootprint(const BenchSetup& setup)
{
    const double size = FileSize(setup.installExe);
    std::string imports;
    std::string foreign;
    const ImportTable table = ImportsOf(setup.installExe);
    for (const std::string& dll : table.dlls) {
        imports += (imports.empty() ? "" : " ") + dll;
        if (!IsWindowsDll(dll, table.bitness))
            foreign += (foreign.empty() ? "" : " ") + dll;
    }
    return {
        {"5a", "Install.exe size", FormatMiB(size), "", FormatMiB(size), "<= 1.50 MiB", size <= 1.5 * kMiB},
        {"5b", "Install.exe imports", imports, "outside Windows: " + (foreign.empty() ? "none" : foreign),
         foreign.empty() ? "Windows only" : "needs " + foreign, "Windows' own DLLs only", foreign.empty()},
    };
}
