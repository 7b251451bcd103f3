#pragma once
// Windows' VirtualStore. A program without a manifest (the game, the archiver, many old patchers
// and installers) that writes under Program Files, the Windows folder or ProgramData without an
// administrator's rights has its write sent to a private copy under
// %LOCALAPPDATA%\VirtualStore, and reads that copy from then on. A game with such a copy of its
// archive never sees the archive a mod was installed into. Moving the copy aside is the cure.
#include <optional>
#include <string>

// The VirtualStore copy of the existing file `path` (a path the ANSI calls can use), when there is
// one: only files under the folders Windows virtualizes have one.
std::optional<std::wstring> VirtualStoreCopyOf(const std::string& path);

// Renames the copy to patch_d2_virtualstore.mpq in its folder, or "patch_d2_virtualstore (2).mpq"
// and so on: it is never deleted, nor renamed over another file. The new path; throws Win32Error.
std::wstring MoveVirtualStoreCopyAside(const std::wstring& copy);
