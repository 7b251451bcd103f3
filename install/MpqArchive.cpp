#include "install/MpqArchive.h"

#include "system/FileSystem.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

namespace {

constexpr std::string_view kHeaderSignature("MPQ\x1A", 4);
constexpr std::string_view kUserDataSignature("MPQ\x1B", 4);
constexpr std::uint64_t kHeaderSize = 32;
constexpr std::uint64_t kTableEntrySize = 16;
static_assert(sizeof(MpqHashEntry) == kTableEntrySize && sizeof(MpqBlockEntry) == kTableEntrySize);

// The header's fields, by their offset in it.
constexpr std::uint64_t kHeaderSizeField = 4;
constexpr std::uint64_t kFormatVersionField = 12;
constexpr std::uint64_t kHashTablePosField = 16;
constexpr std::uint64_t kBlockTablePosField = 20;
constexpr std::uint64_t kHashEntriesField = 24;
constexpr std::uint64_t kBlockEntriesField = 28;

std::uint64_t U32(std::string_view bytes, std::uint64_t at)
{
    std::uint64_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// Where a reader finds the archive's header: the first multiple of 512 with a header's signature
// and a header size of at least 32, or with a user-data header that points to one. A user-data
// header whose sizes disagree, or that points past the file's end, is passed over, as is a header
// that claims fewer bytes; one that points within the file to anything else ends the search.
std::optional<std::uint64_t> HeaderOffset(std::string_view head, std::uint64_t fileSize)
{
    const auto isHeader = [&](std::uint64_t at) {
        return at + kHeaderSize <= head.size() && head.substr(at, 4) == kHeaderSignature &&
               U32(head, at + kHeaderSizeField) >= kHeaderSize;
    };
    for (std::uint64_t at = 0; at + 16 <= head.size(); at += 512) {
        // The user-data header: signature, user data size, the archive header's offset, its own size.
        const std::uint64_t pointed = at + U32(head, at + 8);
        if (head.substr(at, 4) == kUserDataSignature && U32(head, at + 12) <= U32(head, at + 4) &&
            U32(head, at + 4) <= U32(head, at + 8) && pointed + kHeaderSize < fileSize)
            return isHeader(pointed) ? std::optional(pointed) : std::nullopt;
        if (isHeader(at))
            return at;
    }
    return std::nullopt;
}

// The header at `at`: a sector size the readers can use (512 bytes shifted by the header's low
// byte, at least once and within 32 bits), and both tables starting within the file. Offsets are
// relative to the header and wrap at 32 bits, as the format's are.
bool IsSoundHeader(std::string_view head, std::uint64_t at, std::uint64_t fileSize)
{
    const std::uint64_t sectorShift = (U32(head, at + kFormatVersionField) >> 16) & 0xFF;
    const auto startsWithin = [&](std::uint64_t offsetField) {
        const std::uint64_t offset = U32(head, at + offsetField);
        return offset == 0 || ((at + offset) & 0xFFFFFFFF) <= fileSize;
    };
    return sectorShift >= 1 && sectorShift <= 22 && startsWithin(kHashTablePosField) &&
           startsWithin(kBlockTablePosField);
}

// What a reader of format version 0 needs beyond soundness to name an archive's files reliably:
// StormLib takes anything else for a malformed archive. Both tables lie within the file, where the
// format puts them, and the hash table has a power of two of entries, as a name's search needs.
bool IsReadableHeader(std::string_view head, std::uint64_t at, std::uint64_t fileSize)
{
    const auto tablePlaceAllowed = [&](std::uint64_t offsetField) {
        const std::uint64_t offset = U32(head, at + offsetField);
        return offset > kHeaderSize && !(offset & 0x80000000) &&
               offset + U32(head, at + offsetField + 8) * kTableEntrySize <= fileSize - at;
    };
    return U32(head, at + kHeaderSizeField) == kHeaderSize && (U32(head, at + kFormatVersionField) & 0xFFFF) == 0 &&
           tablePlaceAllowed(kHashTablePosField) && tablePlaceAllowed(kBlockTablePosField) &&
           std::has_single_bit(U32(head, at + kHashEntriesField));
}

// Opened to be read, shared with anyone; a scanner's brief hold is waited out.
FileHandle OpenForReading(const std::string& path, DWORD& error)
{
    FileHandle file;
    error = WaitingOutScanners(
        [&] {
            file.Reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr));
            return static_cast<bool>(file);
        },
        HeldByAnotherProgram);
    return file;
}

bool ReadAt(HANDLE file, std::uint64_t at, void* into, std::size_t length)
{
    OVERLAPPED place{};
    place.Offset = static_cast<DWORD>(at);
    place.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD read = 0;
    if (!ReadFile(file, into, static_cast<DWORD>(length), &read, &place))
        return false;
    if (read == length)
        return true;
    SetLastError(ERROR_HANDLE_EOF);
    return false;
}

struct Head {
    std::string bytes;  // up to kMpqSearchLength
    std::uint64_t fileSize = 0;
};

// ERROR_SUCCESS, or why the file's first bytes couldn't be read.
DWORD ReadHead(HANDLE file, Head& head)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size))
        return GetLastError();
    head.fileSize = static_cast<std::uint64_t>(size.QuadPart);
    head.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(head.fileSize, kMpqSearchLength)));
    return ReadAt(file, 0, head.bytes.data(), head.bytes.size()) ? ERROR_SUCCESS : GetLastError();
}

// Opens the file into `file` and reads its first bytes: ERROR_SUCCESS, or why it couldn't.
DWORD OpenWithHead(const std::string& path, FileHandle& file, Head& head)
{
    DWORD error = ERROR_SUCCESS;
    file = OpenForReading(path, error);
    return file ? ReadHead(file.Get(), head) : error;
}

const std::array<std::uint32_t, 0x500>& CryptTable()
{
    static const std::array<std::uint32_t, 0x500> table = [] {
        std::array<std::uint32_t, 0x500> made{};
        std::uint32_t seed = 0x00100001;
        const auto next = [&] { return (seed = (seed * 125 + 3) % 0x2AAAAB) & 0xFFFF; };
        for (std::uint32_t i = 0; i < 0x100; ++i) {
            for (std::uint32_t k = 0; k < 5; ++k) {
                const std::uint32_t high = next();
                made[i + k * 0x100] = high << 16 | next();
            }
        }
        return made;
    }();
    return table;
}

// Encryption and decryption differ only in which word, the plain or the encrypted, carries the
// key forward.
void Crypt(std::span<std::byte> table, std::uint32_t key, bool decrypting)
{
    const auto& crypt = CryptTable();
    std::uint32_t k1 = key;
    std::uint32_t k2 = 0xEEEEEEEE;
    for (std::size_t at = 0; at + 4 <= table.size(); at += 4) {
        std::uint32_t word;
        std::memcpy(&word, table.data() + at, 4);
        k2 += crypt[0x400 + (k1 & 0xFF)];
        const std::uint32_t plain = decrypting ? word ^ (k1 + k2) : word;
        word ^= k1 + k2;
        std::memcpy(table.data() + at, &word, 4);
        k1 = ((~k1 << 21) + 0x11111111) | (k1 >> 11);
        k2 = plain + k2 + (k2 << 5) + 3;
    }
}

// A table of `entries` read at `at` and decrypted with `key`.
template <typename Entry>
std::vector<Entry> ReadTable(const std::function<void(std::uint64_t, void*, std::size_t)>& read, std::uint64_t at,
                             std::uint64_t entries, std::uint32_t key)
{
    std::vector<Entry> table(entries);
    read(at, table.data(), entries * kTableEntrySize);
    DecryptMpqTable(std::as_writable_bytes(std::span(table)), key);
    return table;
}

// The three hashes a name is looked up by, in one pass over it.
struct NameHashes {
    std::uint32_t index;
    std::uint32_t nameA;
    std::uint32_t nameB;
};

NameHashes HashesOf(std::string_view name)
{
    const std::uint32_t* const table = CryptTable().data();
    std::uint32_t s1[3] = {0x7FED7FED, 0x7FED7FED, 0x7FED7FED};
    std::uint32_t s2[3] = {0xEEEEEEEE, 0xEEEEEEEE, 0xEEEEEEEE};
    for (const char letter : name) {
        // Names hash in capitals; only a-z change, whatever the code page.
        std::uint32_t c = static_cast<unsigned char>(letter);
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
        for (int type = 0; type < 3; ++type) {
            s1[type] = table[type * 0x100 + c] ^ (s1[type] + s2[type]);
            s2[type] = c + s1[type] + s2[type] + (s2[type] << 5) + 3;
        }
    }
    return {s1[0], s1[1], s1[2]};
}

}  // namespace

bool IsSoundMpq(std::string_view head, std::uint64_t fileSize)
{
    const auto at = HeaderOffset(head, fileSize);
    return at && IsSoundHeader(head, *at, fileSize);
}

MpqJudgement JudgeMpqFile(const std::string& path)
{
    FileHandle file;
    Head head;
    if (const DWORD error = OpenWithHead(path, file, head))
        return {MpqSoundness::Unknown, error};
    return {IsSoundMpq(head.bytes, head.fileSize) ? MpqSoundness::Sound : MpqSoundness::Damaged};
}

std::uint32_t MpqHash(std::string_view name, MpqHashType type)
{
    const NameHashes hashes = HashesOf(name);
    return type == MpqHashType::TableIndex ? hashes.index : type == MpqHashType::NameA ? hashes.nameA : hashes.nameB;
}

void EncryptMpqTable(std::span<std::byte> table, std::uint32_t key) { Crypt(table, key, false); }

void DecryptMpqTable(std::span<std::byte> table, std::uint32_t key) { Crypt(table, key, true); }

std::string MpqNameKey(std::string_view name)
{
    std::string key(name);
    for (char& c : key)
        c = c == '/' ? '\\' : c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return key;
}

MpqName MpqNameOf(std::string_view name)
{
    const NameHashes hashes = HashesOf(name);
    return {hashes.nameA, hashes.nameB};
}

std::optional<MpqFileTable> MpqFileTable::Read(const std::string& path)
{
    FileHandle file;
    Head head;
    if (const DWORD error = OpenWithHead(path, file, head))
        throw Win32Error("Read", path, error);
    return Parse(head.bytes, head.fileSize, [&](std::uint64_t at, void* into, std::size_t length) {
        if (!ReadAt(file.Get(), at, into, length))
            ThrowLastError("Read", path);
    });
}

std::optional<MpqFileTable> MpqFileTable::FromBytes(std::string_view archive)
{
    // Readable tables lie within the bytes.
    return Parse(
        archive.substr(0, kMpqSearchLength), archive.size(),
        [&](std::uint64_t at, void* into, std::size_t length) { archive.copy(static_cast<char*>(into), length, at); });
}

std::optional<MpqFileTable> MpqFileTable::Parse(std::string_view head, std::uint64_t fileSize,
                                                const std::function<void(std::uint64_t, void*, std::size_t)>& read)
{
    const auto at = HeaderOffset(head, fileSize);
    if (!at || !IsSoundHeader(head, *at, fileSize) || !IsReadableHeader(head, *at, fileSize))
        return std::nullopt;

    MpqFileTable table;
    table.archiveLength_ = fileSize - *at;
    table.hashTable_ = ReadTable<MpqHashEntry>(read, *at + U32(head, *at + kHashTablePosField),
                                               U32(head, *at + kHashEntriesField), kMpqHashTableKey);
    table.blockTable_ = ReadTable<MpqBlockEntry>(read, *at + U32(head, *at + kBlockTablePosField),
                                                 U32(head, *at + kBlockEntriesField), kMpqBlockTableKey);
    table.entries_.reserve(table.blockTable_.size());
    // The run of slots before the table's first never-used one goes on from its last one; in a
    // table without one, each slot's run is the whole table, ending at the slot.
    const std::vector<MpqHashEntry>& slots = table.hashTable_;
    const auto mask = static_cast<std::uint32_t>(slots.size() - 1);
    const auto last = std::find_if(slots.rbegin(), slots.rend(),
                                   [](const MpqHashEntry& entry) { return entry.block == kMpqNeverUsed; });
    std::uint32_t runStart = static_cast<std::uint32_t>(slots.rend() - last) & mask;
    for (std::uint32_t slot = 0; slot <= mask; ++slot) {
        const MpqHashEntry& entry = slots[slot];
        if (entry.block == kMpqNeverUsed)
            runStart = (slot + 1) & mask;
        else if (entry.block < table.blockTable_.size())
            table.entries_.push_back({entry.nameA, entry.nameB, entry.locale, entry.block,
                                      table.blockTable_[entry.block], slot,
                                      last == slots.rend() ? (slot + 1) & mask : runStart});
    }
    std::sort(table.entries_.begin(), table.entries_.end(),
              [](const Entry& a, const Entry& b) { return a.Key() < b.Key(); });
    return table;
}

std::optional<MpqBlockEntry> MpqFileTable::Find(std::string_view name) const
{
    const NameHashes hashes = HashesOf(name);
    const auto mask = static_cast<std::uint32_t>(hashTable_.size() - 1);
    const std::uint32_t start = hashes.index & mask;
    const auto distance = [mask](std::uint32_t from, std::uint32_t to) { return (to - from) & mask; };
    // The game searches from the name's slot to the first never-used one, passing over deleted
    // entries, and takes the first entry of the name, unless one of the neutral locale 0 follows
    // (entries of one name for several locales follow one another): the last of those. Here only
    // the name's entries are looked at, each reached when the search starts within its run.
    const Entry* first = nullptr;
    const Entry* neutral = nullptr;
    const auto byName = [](const Entry& entry, const std::pair<std::uint32_t, std::uint32_t>& name) {
        return std::pair(entry.nameA, entry.nameB) < name;
    };
    for (auto entry = std::lower_bound(entries_.begin(), entries_.end(), std::pair(hashes.nameA, hashes.nameB), byName);
         entry != entries_.end() && entry->nameA == hashes.nameA && entry->nameB == hashes.nameB; ++entry) {
        const std::uint32_t away = distance(start, entry->slot);
        if (distance(entry->runStart, start) > distance(entry->runStart, entry->slot))
            continue;
        if (!first || away < distance(start, first->slot))
            first = &*entry;
        if (entry->locale == 0 && (!neutral || away > distance(start, neutral->slot)))
            neutral = &*entry;
    }
    const Entry* const found = neutral ? neutral : first;
    if (!found)
        return std::nullopt;
    const MpqBlockEntry& stored = found->stored;
    if (!(stored.flags & kMpqFileExists) || std::uint64_t{stored.offset} + stored.storedSize > archiveLength_)
        return std::nullopt;
    return stored;
}

std::size_t MpqFileTable::EntriesChangedSince(const MpqFileTable& before, std::span<const MpqName> except) const
{
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        const auto was = std::lower_bound(before.entries_.begin(), before.entries_.end(), entry,
                                          [](const Entry& a, const Entry& b) { return a.Key() < b.Key(); });
        const bool changed = was == before.entries_.end() || was->Key() != entry.Key() || was->block != entry.block ||
                             was->stored != entry.stored;
        return changed && !std::binary_search(except.begin(), except.end(), MpqName{entry.nameA, entry.nameB});
    }));
}
