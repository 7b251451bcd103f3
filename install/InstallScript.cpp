#include "install/InstallScript.h"

#include "system/FileSystem.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

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
// equal `c` have their top bit set. So may a byte above such a byte, which the caller's exact
// comparison then rejects; no equal byte is ever missed.
std::uint64_t BytesEqualTo(std::uint64_t word, char c)
{
    const std::uint64_t difference = word ^ (kOnes * static_cast<unsigned char>(c));
    return (difference - kOnes) & ~difference & (kOnes << 7);
}

// Calls `found` with where each mention of `name` in `text` starts, left to right. A script can
// run to many megabytes with a mention on every line, and the C library's byte-by-byte search is
// slow on some systems (Wine's): eight positions are tested at a time for the name's first and
// last characters, and only those that have both are compared in full. The name has no prefix
// that is also its suffix, so mentions never overlap.
template <typename Found>
void ForEachMention(std::string_view text, std::string_view name, Found found)
{
    const std::size_t last = name.size() - 1;
    std::size_t at = 0;
    for (; at + last + sizeof(std::uint64_t) <= text.size(); at += sizeof(std::uint64_t)) {
        std::uint64_t candidates = BytesEqualTo(Load(text.data() + at), name.front()) &
                                   BytesEqualTo(Load(text.data() + at + last), name.back());
        while (candidates) {
            const std::size_t start = at + static_cast<std::size_t>(std::countr_zero(candidates)) / 8;
            if (text.compare(start, name.size(), name) == 0)
                found(start);
            candidates &= candidates - 1;
        }
    }
    for (std::size_t start = text.find(name, at); start != std::string_view::npos;
         start = text.find(name, start + name.size()))
        found(start);
}

}  // namespace

void RewriteScript(const std::string& script, const std::string& shortPath,
                   const std::function<void(std::string_view)>& put)
{
    const std::string_view text = script;
    const std::string_view name = kArchiveName;
    // The archiver splits its lines into words at spaces, so a path with a space goes in quotes,
    // unless the script quotes the name itself.
    const bool spaced = shortPath.find(' ') != std::string::npos;
    const std::string quoted = '"' + shortPath + '"';
    std::size_t from = 0;
    ForEachMention(text, name, [&](std::size_t mention) {
        put(text.substr(from, mention - from));
        const bool quotedByScript = mention > 0 && (text[mention - 1] == '"' || text[mention - 1] == '\'');
        put(spaced && !quotedByScript ? quoted : shortPath);
        from = mention + name.size();
    });
    put(text.substr(from));
}

std::string RewriteScript(const std::string& script, const std::string& shortPath)
{
    std::string rewritten;
    RewriteScript(script, shortPath, [&rewritten](std::string_view piece) { rewritten += piece; });
    return rewritten;
}

PendingFile PrepareRewrittenScript(const std::string& path, const std::string& script, const std::string& shortPath)
{
    return WriteBeside(
        path,
        [&](const PieceSink& put) {
            RewriteScript(script, shortPath, put);
            put("\r\n");
        },
        Durability::Transient);
}

void WriteRewrittenScript(const std::string& path, const std::string& script, const std::string& shortPath)
{
    PrepareRewrittenScript(path, script, shortPath).RenameTo(path, MOVEFILE_REPLACE_EXISTING);
}

std::string CorrectScriptIn(const std::string& applicationDirectory)
{
    return applicationDirectory + "\\correctscript.tmp";
}

std::string QuoteIfSpaced(const std::string& path)
{
    return path.find(' ') == std::string::npos ? path : '"' + path + '"';
}

std::string ArchiverCommandLine(const std::string& applicationDirectory)
{
    return QuoteIfSpaced(applicationDirectory + "\\mpq2k.exe") + " s " +
           QuoteIfSpaced(CorrectScriptIn(applicationDirectory));
}
