#pragma once
// The game's patch archive, patch_d2.mpq, as far as the installer reads it: whether it is a sound
// MPQ archive, as it must be for the game to start, and which files its tables name.
//
// Soundness is what the game's reader, and StormLib's, need to open an archive of format version
// 0, judged from its first bytes without decrypting anything. An archiver that dies while it
// writes the archive in place leaves its header torn or pointing at tables it never wrote. The
// header (32 bytes, little-endian) stands at the file's start or at a multiple of 512 bytes,
// possibly announced there by a user-data header; it is looked for in the file's first
// kMpqSearchLength bytes. A sound archive has a whole header whose sector size is one a reader can
// use and whose tables start within the file. A table that runs past the file's end is read as far
// as it goes, as the "protected" archives the game plays with need, and bytes after the archive
// are harmless: the readers ignore the archive's size field, and so does this judgement.
//
// The file table is the hash table and the block table of format version 0, decrypted; the files
// themselves are never read. It is read only where it can be read reliably, which asks more than
// soundness: no table clipped at the file's end, no other format version, no trick of the
// protected archives.
#include <windows.h>

#include <cstddef>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <tuple>
#include <string>
#include <string_view>
#include <vector>

// The game's archives carry their header at the start; this leaves room for a user-data block or
// a program stub before it, and keeps the judgement, taken twice an install, under a millisecond.
inline constexpr std::size_t kMpqSearchLength = 64 << 10;

// `head` is the file's first bytes (all of them, up to kMpqSearchLength), `fileSize` its size.
bool IsSoundMpq(std::string_view head, std::uint64_t fileSize);

enum class MpqSoundness {
    Sound,
    Damaged,  // or no MPQ archive at all
    Unknown,  // the file couldn't be read: nothing is known about its bytes
};

struct MpqJudgement {
    MpqSoundness soundness = MpqSoundness::Unknown;
    DWORD error = ERROR_SUCCESS;  // why it couldn't be read, when Unknown
};

// The same for the file at `path`. A scanner's brief hold on it is waited out.
MpqJudgement JudgeMpqFile(const std::string& path);

// The format's hashes of a name that find it in the hash table.
enum class MpqHashType { TableIndex, NameA, NameB };
std::uint32_t MpqHash(std::string_view name, MpqHashType type);

// The keys the two tables are encrypted with (the key hashes of "(hash table)" and "(block table)").
inline constexpr std::uint32_t kMpqHashTableKey = 0xC3AF3770;
inline constexpr std::uint32_t kMpqBlockTableKey = 0xEC83B3A3;
// In place, by little-endian 32-bit words.
void EncryptMpqTable(std::span<std::byte> table, std::uint32_t key);
void DecryptMpqTable(std::span<std::byte> table, std::uint32_t key);

// The key that tells the names of files apart where a player would: ASCII letters in capitals, "/"
// as "\". The hashes keep "/" apart from "\", but a mod names one file either way.
std::string MpqNameKey(std::string_view name);

// A hash table entry's block index for a slot never used (it ends a search) and a deleted one.
inline constexpr std::uint32_t kMpqNeverUsed = 0xFFFFFFFF;
inline constexpr std::uint32_t kMpqDeleted = 0xFFFFFFFE;
inline constexpr std::uint32_t kMpqFileExists = 0x80000000;

// Both tables' entries, 16 bytes each, as they stand in the archive once decrypted: plain bytes,
// copied as such.
struct MpqHashEntry {
    std::uint32_t nameA;
    std::uint32_t nameB;
    std::uint16_t locale;
    std::uint8_t platform;
    std::uint8_t flags;
    std::uint32_t block;
};
struct MpqBlockEntry {
    std::uint32_t offset;  // from the header
    std::uint32_t storedSize;
    std::uint32_t fileSize;
    std::uint32_t flags;

    bool operator==(const MpqBlockEntry&) const = default;
};

// The two name hashes that tell a name's entries apart in the hash table.
struct MpqName {
    std::uint32_t nameA;
    std::uint32_t nameB;

    auto operator<=>(const MpqName&) const = default;
};
MpqName MpqNameOf(std::string_view name);

// What an archive of format version 0 holds, by the names its tables hash.
class MpqFileTable {
public:
    // Nothing when the tables can't be read reliably: no MPQ archive, another format version, a
    // header of another size, a table outside the file or where the format forbids one, a hash
    // table whose size is no power of two (what "protected" mod archives do to keep tools out).
    // Throws Win32Error when the file can't be read.
    static std::optional<MpqFileTable> Read(const std::string& path);
    // The same for an archive's whole bytes.
    static std::optional<MpqFileTable> FromBytes(std::string_view archive);

    // The block entry of the file stored under `name` (with "\", in any case), when it exists
    // within the archive: two tables' entries of a name differ when the file was written anew.
    std::optional<MpqBlockEntry> Find(std::string_view name) const;

    std::size_t EntriesInUse() const { return entries_.size(); }
    // How many of this table's names are new since `before`, or now name another file, leaving out
    // the names `except` (sorted).
    std::size_t EntriesChangedSince(const MpqFileTable& before, std::span<const MpqName> except = {}) const;

private:
    static std::optional<MpqFileTable> Parse(std::string_view head, std::uint64_t fileSize,
                                             const std::function<void(std::uint64_t, void*, std::size_t)>& read);

    // A name's entry in use, with the block it points to: two tables compare by these.
    struct Entry {
        std::uint32_t nameA;
        std::uint32_t nameB;
        std::uint16_t locale;
        std::uint32_t block;
        MpqBlockEntry stored;
        // Where it stands in the hash table, and where the run of slots it stands in begins: the
        // slot after the nearest never-used one before it. A search reaches it only from a slot of
        // that run, and Find needn't walk the run to know.
        std::uint32_t slot;
        std::uint32_t runStart;

        auto Key() const { return std::tie(nameA, nameB, locale); }
    };

    std::vector<MpqHashEntry> hashTable_;
    std::vector<MpqBlockEntry> blockTable_;
    std::uint64_t archiveLength_ = 0;  // from the header to the file's end
    std::vector<Entry> entries_;       // sorted by Key
};
