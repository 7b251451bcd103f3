#pragma once
// What the install command makes of the mod's archiver script and of the archiver's command
// line. The archiver knows the game's patch archive only by the name "patch_d2.mpq" in the
// script; the installer puts the archive's full short path in its place.
#include "system/FileSystem.h"

#include <functional>
#include <string>
#include <string_view>

extern const char* const kArchiveName;  // "patch_d2.mpq"

// `script` with each "patch_d2.mpq" replaced by `shortPath`: matched exactly (case-sensitive),
// left to right, without overlap; the text a replacement puts in is never searched again. A
// `shortPath` with a space goes in between double quotes, except where the script has a quote
// (" or ') right before the name. Every other byte, NUL and end-of-file marks included, stays.
std::string RewriteScript(const std::string& script, const std::string& shortPath);

// The same text handed to `put` piece by piece, for writing it out without holding it whole.
void RewriteScript(const std::string& script, const std::string& shortPath,
                   const std::function<void(std::string_view)>& put);

// Writes the rewritten script to `path` as one line-closing text write would write it (the text,
// then CR LF), safely as WriteWholeFile does but not forced to the disk (the archiver reads it at
// once), straight from `script`. Throws Win32Error.
void WriteRewrittenScript(const std::string& path, const std::string& script, const std::string& shortPath);

// Its first half: the rewritten script written beside `path`, to take its name (RenameTo) later.
PendingFile PrepareRewrittenScript(const std::string& path, const std::string& script, const std::string& shortPath);

// Where the rewritten script goes, for the archiver: correctscript.tmp in the mod's folder.
std::string CorrectScriptIn(const std::string& applicationDirectory);

// `path`, between double quotes when it holds a space, so that it stays one argument.
std::string QuoteIfSpaced(const std::string& path);

// The archiver's command line: "<dir>\mpq2k.exe s <dir>\correctscript.tmp", each path quoted
// when it holds a space.
std::string ArchiverCommandLine(const std::string& applicationDirectory);
