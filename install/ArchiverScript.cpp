#include "install/ArchiverScript.h"

#include <algorithm>
#include <cctype>

namespace {

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    for (std::size_t at = 0; at < line.size();) {
        if (line[at] == ' ') {
            ++at;
            continue;
        }
        const char quote = line[at];
        if (quote == '"' || quote == '\'') {
            const std::size_t end = std::min(line.find(quote, at + 1), line.size());
            words.push_back(line.substr(at + 1, end - at - 1));
            at = end + 1;
        } else {
            const std::size_t end = std::min(line.find(' ', at), line.size());
            words.push_back(line.substr(at, end - at));
            at = end;
        }
    }
    return words;
}

}  // namespace

std::vector<ScriptCommand> ScriptCommands(const std::string& script)
{
    std::vector<ScriptCommand> commands;
    int number = 1;
    for (std::size_t start = 0; start < script.size(); ++number) {
        const std::size_t end = std::min(script.find_first_of("\r\n", start), script.size());
        const std::string line = script.substr(start, end - start);
        const std::size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && line[first] != ';')
            commands.push_back({number, Words(line)});
        start = end + (script.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return commands;
}

char CommandLetter(const ScriptCommand& command)
{
    const std::string& word = command.words.front();
    return word.size() == 1 && std::isalpha(static_cast<unsigned char>(word[0]))
               ? static_cast<char>(std::tolower(static_cast<unsigned char>(word[0])))
               : 0;
}
