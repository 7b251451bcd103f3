#include "ArchiverLog.h"

#include "TestSupport.h"

#include <windows.h>

#include <stdexcept>

namespace {

// The value of the line at `at` that starts with `key`, moving `at` past the line.
std::string Field(const std::string& log, std::size_t& at, const std::string& key)
{
    const std::size_t end = log.find('\n', at);
    if (log.compare(at, key.size(), key) != 0 || end == std::string::npos)
        throw std::runtime_error("archiver log: no \"" + key + "\" at byte " + std::to_string(at));
    std::string value = log.substr(at + key.size(), end - at - key.size());
    at = end + 1;
    return value;
}

}  // namespace

std::string ArchiverStandIn() { return BesideThisProgram("mpq2k.exe"); }

std::vector<ArchiverStart> ReadArchiverLog(const std::string& log)
{
    const std::string bytes = ReadTextFile(log);
    std::vector<ArchiverStart> starts;
    for (std::size_t at = 0; at < bytes.size();) {
        ArchiverStart start;
        start.processId = std::stoul(Field(bytes, at, "process: "));
        start.commandLine = Field(bytes, at, "command line: ");
        start.directory = Field(bytes, at, "directory: ");
        start.show = std::stoi(Field(bytes, at, "show: "));
        const std::string size = Field(bytes, at, "script: ");
        start.scriptRead = size != "unreadable";
        if (start.scriptRead) {
            start.script = bytes.substr(at, std::stoul(size));
            at += start.script.size() + 1;
        } else {
            at += 1;
        }
        Field(bytes, at, "end of record");
        starts.push_back(std::move(start));
    }
    return starts;
}
