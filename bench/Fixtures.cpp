#include "bench/Fixtures.h"

#include "system/ScopedHandle.h"
#include "system/Win32Error.h"
#include "tests/TestSupport.h"

#include <algorithm>
#include <vector>

void WriteFilledFile(const std::string& path, uint64_t size, const std::string& head)
{
    const FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        ThrowLastError("Create file", path);
    std::vector<char> piece(1 << 20);
    const auto fill = [&](size_t from) {
        for (size_t i = from; i < piece.size(); ++i)
            piece[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
    };
    std::copy(head.begin(), head.end(), piece.begin());
    fill(head.size());
    for (uint64_t written = 0; written < size;) {
        const DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(piece.size(), size - written));
        DWORD done = 0;
        if (!WriteFile(file.Get(), piece.data(), chunk, &done, nullptr) || done != chunk)
            ThrowLastError("Write file", path);
        written += chunk;
        fill(0);
    }
}

std::string ScriptWithOccurrences(size_t size, size_t occurrences)
{
    const std::string name = "patch_d2.mpq";
    const std::string lineEnd = "\r\n";
    std::string script;
    script.reserve(size);
    // Each mention ends a comment line of filler, which adds no file the mod's folder would lack;
    // whatever is left over pads the last line.
    const size_t lineLength = size / occurrences;
    const size_t filler = lineLength - name.size() - lineEnd.size();
    for (size_t i = 0; i < occurrences; ++i) {
        std::string line = "; " + std::string(filler - 2, static_cast<char>('a' + i % 26)) + name + lineEnd;
        script += line;
    }
    script.insert(script.size() - lineEnd.size(), size - script.size(), ' ');
    return script;
}

void MakeModFolder(const std::string& folder, const std::string& scriptName, const std::string& script,
                   const std::string& archiver)
{
    WriteTextFile(folder + "\\modsettings.ini",
                  "[MainSettings]\r\nTitle=Benchmark Mod\r\nAuthor=Bench\r\n"
                  "Features=Everything\r\nScriptFile=" +
                      scriptName + "\r\n");
    WriteTextFile(folder + "\\" + scriptName, script);
    if (!CopyFileA(archiver.c_str(), (folder + "\\mpq2k.exe").c_str(), FALSE))
        ThrowLastError("Copy file", archiver);
}

std::string OwnFolder()
{
    std::string folder = ThisProgram();
    folder.resize(folder.find_last_of('\\'));
    return folder;
}
