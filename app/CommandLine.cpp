#include "app/CommandLine.h"

#include <cwctype>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

// `value` without one pair of double quotes around it.
std::wstring Unquoted(std::wstring value)
{
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
        return value.substr(1, value.size() - 2);
    return value;
}

// Where the word that starts at `at` ends: a quote runs to its partner, a blank ends it.
std::size_t WordEnd(const std::wstring& text, std::size_t at)
{
    bool quoted = false;
    for (; at < text.size(); ++at) {
        if (text[at] == L'"')
            quoted = !quoted;
        else if (IsBlank(text[at]) && !quoted)
            break;
    }
    return at;
}

CommandLine Mistaken(const std::wstring& argument) { return {Mode::Usage, L"", L"", argument}; }

}  // namespace

std::wstring ArgumentsOf(const std::wstring& commandLine)
{
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const std::size_t closing = commandLine.find(L'"', 1);
        at = closing == std::wstring::npos ? commandLine.size() : closing + 1;
    }
    while (at < commandLine.size() && !IsBlank(commandLine[at]))
        ++at;
    while (at < commandLine.size() && IsBlank(commandLine[at]))
        ++at;
    return commandLine.substr(at);
}

CommandLine ParseCommandLine(const std::wstring& arguments)
{
    CommandLine command;
    bool logGiven = false;
    bool gameGiven = false;
    for (std::size_t at = 0; at < arguments.size();) {
        if (IsBlank(arguments[at])) {
            ++at;
            continue;
        }
        const std::size_t end = WordEnd(arguments, at);
        // A switch may come quoted whole, as programs that quote every argument with a space pass it.
        const bool quotedWhole = arguments[at] == L'"';
        const std::wstring word = Unquoted(arguments.substr(at, end - at));
        if (word.empty() || (word[0] != L'/' && word[0] != L'-'))
            return Mistaken(word);
        const std::wstring name = Upper(word.substr(1, word.find(L'=') - 1));
        const bool valued = word.find(L'=') != std::wstring::npos;
        if (name == L"D" && valued) {
            // The rest of the line, spaces and all.
            std::wstring folder = arguments.substr(at + (quotedWhole ? 4 : 3));
            while (!folder.empty() && IsBlank(folder.back()))
                folder.pop_back();
            if (quotedWhole && !folder.empty() && folder.back() == L'"')
                folder.pop_back();
            command.game = Unquoted(folder);
            gameGiven = true;
            break;
        }
        if (name == L"LOG" && valued && !logGiven) {
            command.log = Unquoted(word.substr(5));
            logGiven = !command.log.empty();
            if (!logGiven)
                return Mistaken(word);
        } else if (name == L"CLEAN" && !valued && !command.clean) {
            command.clean = true;
        } else if (name == L"?" && !valued) {
            return {Mode::Usage, L"", L"", L""};
        } else {
            const Mode mode = name == L"S"         ? Mode::Install
                              : name == L"RESTORE" ? Mode::Restore
                              : name == L"CHECK"   ? Mode::Check
                                                   : Mode::Window;
            if (valued || mode == Mode::Window || command.mode != Mode::Window)
                return Mistaken(word);
            command.mode = mode;
        }
        at = end;
    }
    if (command.mode == Mode::Window && (logGiven || gameGiven))
        return Mistaken(logGiven ? L"/LOG=" : L"/D=");
    if (command.mode == Mode::Check && gameGiven)
        return Mistaken(L"/D=");
    if (command.clean && command.mode != Mode::Install)
        return Mistaken(L"/CLEAN");
    return command;
}

std::wstring UsageText()
{
    return L"Install.exe installs the mod in its folder into Diablo 2.\n"
           L"\n"
           L"Install.exe                                 the installer's window\n"
           L"Install.exe /S [/CLEAN] [/LOG=file] [/D=game folder]   install without a window; /CLEAN: onto "
           L"the original patch_d2.mpq from its backup\n"
           L"Install.exe /RESTORE [/LOG=file] [/D=game folder]   put patch_d2_backup.mpq back\n"
           L"Install.exe /CHECK [/LOG=file]              check the mod's folder, changing nothing\n"
           L"Install.exe /?                              this text\n"
           L"\n"
           L"/D= comes last and runs to the end of the line; without it, the game folder remembered "
           L"from the last install, or the one the game records.\n"
           L"\n"
           L"Exit codes: 0 done; 1 a failure; 2 patch_d2.mpq (for /RESTORE, its backup) not found in "
           L"the game folder; 3 the archiver changed nothing or failed; 4 cancelled; 5 a bad command "
           L"line; 6 /CHECK found a problem; 9 the archiver left patch_d2.mpq damaged (put the backup back with "
           L"/RESTORE).";
}
