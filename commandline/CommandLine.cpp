#include "commandline/CommandLine.h"

#include "system/CodePage.h"

#include <algorithm>
#include <cwchar>
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

CommandLine Mistaken(const std::wstring& argument)
{
    CommandLine mistaken;
    mistaken.mode = Mode::Usage;
    mistaken.mistaken = argument;
    return mistaken;
}

}  // namespace

std::wstring ArgumentsOf(const std::wstring& commandLine)
{
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const std::size_t closing = commandLine.find(L'"', 1);
        at = closing == std::wstring::npos ? commandLine.size() : closing + 1;
    } else {
        while (at < commandLine.size() && !IsBlank(commandLine[at]))
            ++at;
    }
    while (at < commandLine.size() && IsBlank(commandLine[at]))
        ++at;
    return commandLine.substr(at);
}

CommandLine ParseCommandLine(const std::wstring& arguments)
{
    CommandLine command;
    bool logGiven = false;
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
            folder.erase(0, std::min(folder.find_first_not_of(L" \t"), folder.size()));
            while (!folder.empty() && IsBlank(folder.back()))
                folder.pop_back();
            if (quotedWhole && !folder.empty() && folder.back() == L'"')
                folder.pop_back();
            command.game = Unquoted(folder);
            // An unset variable in a script must not send the install to another copy of the game.
            if (command.game.empty())
                return Mistaken(L"/D=");
            break;
        }
        if (name == L"LOG" && valued && !logGiven) {
            command.log = Unquoted(word.substr(5));
            logGiven = !command.log.empty();
            if (!logGiven)
                return Mistaken(word);
        } else if (name == L"LANG" && valued && !command.language) {
            command.language = LanguageOfCode(word.substr(6));
            if (!command.language)
                return Mistaken(word);
        } else if (name == L"CLEAN" && !valued && !command.clean) {
            command.clean = true;
        } else if (name == L"ANYVERSION" && !valued && !command.anyVersion) {
            command.anyVersion = true;
        } else if (name == L"?" && !valued) {
            return Mistaken(L"");
        } else if (name == L"PRESS" && command.press == Press::None) {
            const std::wstring value = valued ? Upper(word.substr(word.find(L'=') + 1)) : L"INSTALL";
            command.press = value == L"INSTALL"   ? Press::Install
                            : value == L"RESTORE" ? Press::Restore
                            : value == L"CLEAN"   ? Press::Clean
                                                  : Press::None;
            if (command.press == Press::None)
                return Mistaken(word);
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
    if (command.mode == Mode::Window && logGiven)
        return Mistaken(L"/LOG=");
    if (command.mode != Mode::Window && command.press != Press::None)
        return Mistaken(L"/PRESS");
    if (command.clean && command.mode != Mode::Install)
        return Mistaken(L"/CLEAN");
    if (command.anyVersion && command.mode != Mode::Install)
        return Mistaken(L"/ANYVERSION");
    return command;
}

std::string PressArguments(Press press, const std::string& game, std::optional<Language> language)
{
    const char* const switches[] = {"", "/PRESS", "/PRESS=RESTORE", "/PRESS=CLEAN"};
    const std::string chosen = language ? " /LANG=" + ToCodePageLossy(CodeOf(*language)) : "";
    return std::string(switches[static_cast<int>(press)]) + chosen + " /D=" + game;
}

std::wstring UsageText()
{
    const wchar_t* const forms[][2] = {
        {L"Install.exe [/PRESS[=RESTORE]] [/LANG=code] [/D=game folder]",
         L"the window, on the game folder; /PRESS presses "
         L"\"Install Mod\" at once (=RESTORE: restores)"},
        {L"Install.exe /S [/CLEAN] [/ANYVERSION] [/LOG=file] [/D=game folder]", L"install without a window"},
        {L"Install.exe /RESTORE [/LOG=file] [/D=game folder]", L"put patch_d2_backup.mpq back"},
        {L"Install.exe /CHECK [/LOG=file] [/D=game folder]",
         L"check the mod's folder, changing nothing; and name the game's version"},
        {L"Install.exe /?", L"this text"},
    };
    std::size_t width = 0;
    for (const auto& form : forms)
        width = std::max(width, std::wcslen(form[0]));
    std::wstring text = L"Install.exe installs the mod in its folder into Diablo 2.\n\n";
    for (const auto& [syntax, meaning] : forms)
        text += syntax + std::wstring(width + 2 - std::wcslen(syntax), L' ') + meaning + L"\n";
    return text +
           L"\n/D= comes last and runs to the end of the line; without it, the game folder remembered from the "
           L"last install, or the one the game records.\n"
           L"/LANG= sets the window's language instead of Windows': en, es, de, fr, pt, it, ja, ko, zh-CN, zh-TW, pl, "
           L"ru.\n"
           L"\n"
           L"Exit codes: 0 done; 1 a failure; 2 patch_d2.mpq (for /RESTORE, its backup) not found in the game "
           L"folder; 3 the archiver changed nothing, failed or left out files of the mod; 4 cancelled; 5 a bad command "
           L"line; 6 /CHECK found a problem; 7 patch_d2.mpq is in use by another program; 8 only an administrator may "
           L"change the game "
           L"folder; 9 patch_d2.mpq is damaged (put the backup back with /RESTORE); 10 the mod is made for other "
           L"versions of the game (/ANYVERSION installs it all the same); 11 none of the files the mod's script adds "
           L"are in its folder.";
}
