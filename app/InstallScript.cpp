#include "app/InstallScript.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

const char* const kArchiveName = "patch_d2.mpq";

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;

std::uint64_t Load(const char* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// The bytes of `word` (eight bytes of text, the first lowest, as Windows is little-endian) that
// equal `c` have their top bit set; so may a byte above such a byte,
// which the caller's exact comparison then rejects. No equal byte is ever missed.
std::uint64_t BytesEqualTo(std::uint64_t word, char c)
{
    const std::uint64_t difference = word ^ (kOnes * static_cast<unsigned char>(c));
    return (difference - kOnes) & ~difference & (kOnes << 7);
}

// Where each mention of `name` in `text` starts, left to right. A script can run to many megabytes
// with a mention on every line, and the C library's byte-by-byte search is slow on some systems
// (Wine's): eight positions are tested at a time for the name's first and last characters, and
// only those that have both are compared in full. The name has no prefix that is also its suffix,
// so mentions never overlap.
std::vector<std::size_t> FindMentions(std::string_view text, std::string_view name)
{
    std::vector<std::size_t> mentions;
    const std::size_t last = name.size() - 1;
    std::size_t at = 0;
    for (; at + last + sizeof(std::uint64_t) <= text.size(); at += sizeof(std::uint64_t)) {
        std::uint64_t candidates =
            BytesEqualTo(Load(text.data() + at), name.front()) & BytesEqualTo(Load(text.data() + at + last), name.back());
        while (candidates) {
            const std::size_t start = at + static_cast<std::size_t>(std::countr_zero(candidates)) / 8;
            if (text.compare(start, name.size(), name) == 0)
                mentions.push_back(start);
            candidates &= candidates - 1;
        }
    }
    for (std::size_t found = text.find(name, at); found != std::string_view::npos; found = text.find(name, found + name.size()))
        mentions.push_back(found);
    return mentions;
}

}  // namespace

std::string RewriteScript(const std::string& script, const std::string& shortPath)
{
    const std::string_view name = kArchiveName;
    const std::vector<std::size_t> mentions = FindMentions(script, name);
    std::string rewritten;
    rewritten.reserve(script.size() - mentions.size() * name.size() + mentions.size() * shortPath.size());
    std::size_t from = 0;
    for (const std::size_t mention : mentions) {
        rewritten.append(script, from, mention - from);
        rewritten += shortPath;
        from = mention + name.size();
    }
    rewritten.append(script, from, std::string::npos);
    return rewritten;
}

std::string QuoteIfSpaced(const std::string& path)
{
    return path.find(' ') == std::string::npos ? path : '"' + path + '"';
}

std::string ArchiverCommandLine(const std::string& applicationDirectory)
{
    return QuoteIfSpaced(applicationDirectory + "\\mpq2k.exe") + " s " +
           QuoteIfSpaced(applicationDirectory + "\\correctscript.tmp");
}
