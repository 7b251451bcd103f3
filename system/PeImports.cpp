#include "system/PeImports.h"

#include "system/FileSystem.h"
#include "system/ProcessSetup.h"
#include "system/Win32Error.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

namespace {

class Image {
public:
    explicit Image(std::string path) : path_(std::move(path)), bytes_(ReadWholeFile(path_)) {}

    template <typename T>
    T At(size_t offset) const
    {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T))
            NotAnImage();
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof value);
        return value;
    }

    std::string StringAt(size_t offset) const
    {
        if (offset >= bytes_.size())
            NotAnImage();
        const char* start = bytes_.data() + offset;
        return std::string(start, strnlen(start, bytes_.size() - offset));
    }

    [[noreturn]] void NotAnImage() const { throw Win32Error("Read the import table", path_, ERROR_BAD_EXE_FORMAT); }

private:
    std::string path_;
    std::string bytes_;
};

Bitness BitnessOf(const Image& image, size_t optionalHeader)
{
    switch (image.At<WORD>(optionalHeader)) {
    case IMAGE_NT_OPTIONAL_HDR32_MAGIC:
        return Bitness::Bits32;
    case IMAGE_NT_OPTIONAL_HDR64_MAGIC:
        return Bitness::Bits64;
    default:
        image.NotAnImage();
    }
}

// The import table's place: the optional header, and with it where its directories stand,
// differs between 32-bit and 64-bit images.
IMAGE_DATA_DIRECTORY ImportDirectory(const Image& image, size_t optionalHeader, Bitness bitness)
{
    const auto directory = [&](const auto& header) {
        return header.NumberOfRvaAndSizes > IMAGE_DIRECTORY_ENTRY_IMPORT
                   ? header.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT]
                   : IMAGE_DATA_DIRECTORY{};
    };
    return bitness == Bitness::Bits32 ? directory(image.At<IMAGE_OPTIONAL_HEADER32>(optionalHeader))
                                      : directory(image.At<IMAGE_OPTIONAL_HEADER64>(optionalHeader));
}

// GetSystemWow64Directory fails on 32-bit Windows, whose System32 holds its 32-bit DLLs.
std::string SystemFolderFor(Bitness bitness)
{
    char folder[MAX_PATH];
    const UINT length = bitness == Bitness::Bits32 ? GetSystemWow64DirectoryA(folder, MAX_PATH) : 0;
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : SystemFolder();
}

}  // namespace

ImportTable ImportsOf(const std::string& exePath)
{
    const Image image(exePath);
    const auto dos = image.At<IMAGE_DOS_HEADER>(0);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE)
        image.NotAnImage();
    const size_t ntOffset = static_cast<size_t>(dos.e_lfanew);
    if (image.At<DWORD>(ntOffset) != IMAGE_NT_SIGNATURE)
        image.NotAnImage();
    const auto file = image.At<IMAGE_FILE_HEADER>(ntOffset + sizeof(DWORD));
    const size_t optionalHeader = ntOffset + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);

    // Addresses in the headers are relative to the loaded image; the sections say where each
    // range lies in the file.
    const size_t sections = optionalHeader + file.SizeOfOptionalHeader;
    const auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < file.NumberOfSections; ++i) {
            const auto section = image.At<IMAGE_SECTION_HEADER>(sections + i * sizeof(IMAGE_SECTION_HEADER));
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        image.NotAnImage();
    };

    ImportTable table{BitnessOf(image, optionalHeader), {}};
    const IMAGE_DATA_DIRECTORY imports = ImportDirectory(image, optionalHeader, table.bitness);
    if (imports.VirtualAddress == 0)
        return table;
    for (size_t entry = fileOffset(imports.VirtualAddress);; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto descriptor = image.At<IMAGE_IMPORT_DESCRIPTOR>(entry);
        if (descriptor.Name == 0)
            break;
        table.dlls.push_back(image.StringAt(fileOffset(descriptor.Name)));
    }
    return table;
}

bool IsWindowsDll(const std::string& dll, Bitness bitness)
{
    const std::string system = SystemFolderFor(bitness);
    return !system.empty() && dll.find_first_of("\\/:") == std::string::npos && FileExists(system + "\\" + dll);
}
