#include "install/MpqArchive.h"

#include "system/ScopedHandle.h"

#include <algorithm>
#include <bit>

namespace {

constexpr std::string_view kHeaderSignature("MPQ\x1A", 4);
constexpr std::string_view kUserDataSignature("MPQ\x1B", 4);
constexpr std::uint64_t kHeaderSize = 32;
constexpr std::uint64_t kTableEntrySize = 16;

std::uint64_t U32(std::string_view bytes, std::uint64_t at)
{
    std::uint64_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The header at `at`: its size is a header's, both tables (offsets relative to the header) lie
// within the file, and the hash table has a power of two of entries, as every MPQ reader needs.
bool IsSoundHeader(std::string_view head, std::uint64_t at, std::uint64_t fileSize)
{
    if (at + kHeaderSize > head.size() || head.substr(at, 4) != kHeaderSignature)
        return false;
    const auto tableFits = [&](std::uint64_t offsetField) {
        return U32(head, at + offsetField) + U32(head, at + offsetField + 8) * kTableEntrySize <= fileSize - at;
    };
    return U32(head, at + 4) >= kHeaderSize && tableFits(16) && tableFits(20) &&
           std::has_single_bit(U32(head, at + 24));
}

}  // namespace

bool IsSoundMpq(std::string_view head, std::uint64_t fileSize)
{
    for (std::uint64_t at = 0; at + 16 <= head.size(); at += 512) {
        if (head.substr(at, 4) == kHeaderSignature)
            return IsSoundHeader(head, at, fileSize);
        // The user-data header: signature, user data size, then the archive header's offset.
        if (head.substr(at, 4) == kUserDataSignature)
            return IsSoundHeader(head, at + U32(head, at + 8), fileSize);
    }
    return false;
}

bool IsSoundMpqFile(const std::string& path)
{
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size))
        return false;
    std::string head(static_cast<std::size_t>(std::min<LONGLONG>(size.QuadPart, kMpqSearchLength)), '\0');
    DWORD read = 0;
    if (!ReadFile(file.Get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr))
        return false;
    head.resize(read);
    return IsSoundMpq(head, static_cast<std::uint64_t>(size.QuadPart));
}
