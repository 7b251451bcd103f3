#include "install/ArchiverRun.h"

#include "description/INIFunctions.h"
#include "install/InstallScript.h"
#include "install/Report.h"
#include "system/ShellRun.h"
#include "system/Win32Error.h"

namespace {

// Runs one step of the install; a failure in it is reported as that step's, on its path.
template <typename Action>
auto Step(const char* operation, const std::string& path, Action action) -> decltype(action())
{
    try {
        return action();
    } catch (const Win32Error& failure) {
        throw Win32Error(operation, path, failure.Code());
    }
}

}  // namespace

ArchiveFacts FactsOf(const std::string& archive, bool withTable)
{
    ArchiveFacts facts;
    facts.stamp = StampOf(archive);
    if (!facts.stamp)
        return facts;
    facts.soundness = JudgeMpqFile(archive).soundness;
    try {
        if (withTable)
            facts.table = MpqFileTable::Read(archive);
    } catch (const Win32Error&) {
    }
    return facts;
}

// Nothing here changes what the player has: the rewritten script takes its name only at its step,
// after the backup, and is removed if the install ends before. A script that is no longer the same
// file at its step, or anything amiss (no description, no name, a file that can't be read or
// written), is left to that step, which reports it as it always has.
void ArchiverRun::ReadScriptAhead()
{
    scriptAhead_.reset();
    if (!FileExists(INIFunctions::INIFile))
        return;
    const std::string name = INIFunctions::ReadINI("MainSettings", "ScriptFile", [](auto&&...) {});
    const std::string path = modFolder_ + "\\" + name;
    const std::optional<FileStamp> stamp = StampOf(path);
    if (name.empty() || !stamp)
        return;
    try {
        scriptAhead_.emplace(ScriptAheadOfItsStep{path, *stamp, ReadWholeFile(path), std::nullopt});
    } catch (const Win32Error&) {
    }
}

void ArchiverRun::PrepareScriptAhead()
{
    if (!scriptAhead_)
        return;
    try {
        scriptAhead_->rewritten.emplace(
            PrepareRewrittenScript(CorrectScriptIn(modFolder_), scriptAhead_->bytes, archiveShortPath_));
    } catch (const Win32Error&) {
    }
}

void ArchiverRun::WriteTheScript(const std::string& scriptName)
{
    const std::string scriptPath = modFolder_ + "\\" + scriptName;
    if (scriptName.empty())
        throw Win32Error(kReadTheScriptStep, scriptPath, ERROR_FILE_NOT_FOUND);
    const bool ahead = scriptAhead_ && scriptAhead_->path == scriptPath && StampOf(scriptPath) == scriptAhead_->stamp;
    if (ahead)
        scriptAsRead_ = std::move(scriptAhead_->bytes);
    else
        scriptAsRead_ = Step(kReadTheScriptStep, scriptPath, [&] { return ReadWholeFile(scriptPath); });

    const std::string correctScript = CorrectScriptIn(modFolder_);
    Step(kWriteTheScriptStep, correctScript, [&] {
        if (ahead && scriptAhead_->rewritten)
            scriptAhead_->rewritten->RenameTo(correctScript, MOVEFILE_REPLACE_EXISTING);
        else
            WriteRewrittenScript(correctScript, scriptAsRead_, archiveShortPath_);
    });
    scriptAhead_.reset();
}

std::string ArchiverRun::CommandLine() const { return ArchiverCommandLine(modFolder_); }

ArchiverRun::Started ArchiverRun::Start(HWND owner, std::function<void()> ended)
{
    const std::string commandLine = CommandLine();
    UniqueHandle process;
    try {
        Step(kStartTheArchiverStep, commandLine, [&] {
            std::string line = commandLine;
            ShellRun(line, SW_SHOWNOACTIVATE, modFolder_, &process, owner);
        });
    } catch (const Win32Error& failure) {
        if (failure.Code() != ERROR_CANCELLED)
            throw;
        return Started::Declined;
    }
    if (!process)
        return Started::Unawaitable;
    ended_ = std::move(ended);
    HANDLE wait = nullptr;
    if (!RegisterWaitForSingleObject(&wait, process.Get(), Ended, this, INFINITE, WT_EXECUTEONLYONCE))
        ThrowLastError(kWaitForTheArchiverStep, commandLine);
    archiver_ = std::move(process);
    archiverEnded_.Reset(wait);
    return Started::Awaited;
}

void CALLBACK ArchiverRun::Ended(void* run, BOOLEAN) { static_cast<ArchiverRun*>(run)->ended_(); }

DWORD ArchiverRun::ExitCode()
{
    DWORD exitCode = 0;
    if (archiver_ && !GetExitCodeProcess(archiver_.Get(), &exitCode))
        ThrowLastError(kReadTheExitCodeStep, CommandLine());
    LetGo();
    return exitCode;
}

void ArchiverRun::LetGo()
{
    scriptAhead_.reset();
    archiverEnded_.Reset();
    archiver_.Reset();
}

std::string ArchiverRun::RewrittenScript() const { return RewriteScript(scriptAsRead_, archiveShortPath_); }
