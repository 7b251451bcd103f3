#pragma once
// The archiver's run: the mod's script read ahead of its step (before anything changes, for what it
// adds), rewritten to name the game's archive by its short path and written as correctscript.tmp,
// the archiver started on it as a process of its own, and its end awaited without blocking the
// thread that started it.
#include "install/Verdict.h"
#include "system/FileSystem.h"
#include "system/ScopedHandle.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// The archive as it stands before or after the archiver's run: its stamp, its soundness, and its
// file table when `withTable`.
ArchiveFacts FactsOf(const std::string& archive, bool withTable);

class ArchiverRun {
public:
    explicit ArchiverRun(std::string modFolder) : modFolder_(std::move(modFolder)) {}
    ArchiverRun(const ArchiverRun&) = delete;
    ArchiverRun& operator=(const ArchiverRun&) = delete;

    // The game's archive as the script is to name it.
    void NameTheArchive(std::string shortPath) { archiveShortPath_ = std::move(shortPath); }

    // The script is read before anything changes, and while the archive is copied the rewritten one
    // is written beside correctscript.tmp (PrepareScriptAhead), so that the archiver can start the
    // moment the backup is in place. Anything amiss is left to WriteTheScript, which tries again.
    void ReadScriptAhead();
    void PrepareScriptAhead();
    const std::string* ScriptAhead() const { return scriptAhead_ ? &scriptAhead_->bytes : nullptr; }
    void ForgetScriptAhead() { scriptAhead_.reset(); }

    // Reads the script `scriptName` of the mod's folder (the one read ahead while it is still the
    // same file) and writes it rewritten as correctscript.tmp. Throws Win32Error.
    void WriteTheScript(const std::string& scriptName);

    std::string CommandLine() const;
    // Starts the archiver on correctscript.tmp; `ended` is called on a thread-pool thread when it
    // ends. Declined: the player said no to the shell's question about it. Unawaitable: the shell
    // handed the start to another process and gave back nothing to wait on. Throws Win32Error.
    enum class Started { Awaited, Declined, Unawaitable };
    Started Start(HWND owner, std::function<void()> ended);
    // The ended archiver's exit code; the run lets go of it. Throws Win32Error.
    DWORD ExitCode();
    // Stops waiting; an archiver is left running.
    void LetGo();

    // The script as the last install read it, and as it rewrote it.
    const std::string& ScriptAsRead() const { return scriptAsRead_; }
    std::string RewrittenScript() const;

private:
    static void CALLBACK Ended(void* run, BOOLEAN timedOut);

    std::string modFolder_;
    std::string archiveShortPath_;
    std::string scriptAsRead_;
    struct ScriptAheadOfItsStep {
        std::string path;
        FileStamp stamp;
        std::string bytes;
        std::optional<PendingFile> rewritten;  // to be correctscript.tmp
    };
    std::optional<ScriptAheadOfItsStep> scriptAhead_;
    std::function<void()> ended_;
    UniqueHandle archiver_;
    WaitRegistration archiverEnded_;  // released before the process handle it waits on
};
