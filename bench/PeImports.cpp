#include "bench/PeImports.h"

#include "system/FileSystem.h"
#include "system/ProcessSetup.h"
#include "tests/TestSupport.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

class Image {
public:
    explicit Image(const std::string& bytes) : bytes_(bytes.begin(), bytes.end()) {}

    template <typename T>
    T At(size_t offset) const
    {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T))
            throw std::runtime_error("not a 64-bit PE image: truncated");
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof value);
        return value;
    }

    std::string StringAt(size_t offset) const
    {
        if (offset >= bytes_.size())
            throw std::runtime_error("not a 64-bit PE image: name outside the file");
        const char* start = bytes_.data() + offset;
        return std::string(start, strnlen(start, bytes_.size() - offset));
    }

private:
    std::vector<char> bytes_;
};

}  // namespace

std::vector<std::string> ImportedDlls(const std::string& exePath)
{
    const Image image(ReadTextFile(exePath));
    const auto dos = image.At<IMAGE_DOS_HEADER>(0);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE)
        throw std::runtime_error("not a 64-bit PE image: " + exePath);
    const size_t ntOffset = static_cast<size_t>(dos.e_lfanew);
    const auto nt = image.At<IMAGE_NT_HEADERS64>(ntOffset);
    if (nt.Signature != IMAGE_NT_SIGNATURE || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        throw std::runtime_error("not a 64-bit PE image: " + exePath);

    // Addresses in the headers are relative to the loaded image; the sections say where each
    // range lies in the file.
    const size_t sections =
        ntOffset + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
    const auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
            const auto section = image.At<IMAGE_SECTION_HEADER>(sections + i * sizeof(IMAGE_SECTION_HEADER));
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        throw std::runtime_error("not a 64-bit PE image: address outside every section");
    };

    std::vector<std::string> dlls;
    const IMAGE_DATA_DIRECTORY imports = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return dlls;
    for (size_t entry = fileOffset(imports.VirtualAddress);; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto descriptor = image.At<IMAGE_IMPORT_DESCRIPTOR>(entry);
        if (descriptor.Name == 0)
            break;
        dlls.push_back(image.StringAt(fileOffset(descriptor.Name)));
    }
    return dlls;
}

bool IsWindowsDll(const std::string& dll)
{
    const std::string system = SystemFolder();
    return !system.empty() && dll.find_first_of("\\/:") == std::string::npos && FileExists(system + "\\" + dll);
}
