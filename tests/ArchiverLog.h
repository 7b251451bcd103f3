#pragma once
// What the stand-in archiver (built as mpq2k.exe beside the tests) wrote down about each start:
// placed in a mod folder, it logs to mpq2k.log there. It changes an archive it opens by appending
// kArchiveRecord.
#include <string>
#include <vector>

inline constexpr const char* kArchiveRecord = "[changed by the stand-in archiver]";

struct ArchiverStart {
    unsigned long processId = 0;
    std::string commandLine;
    std::string directory;
    int show = -1;
    bool scriptRead = false;
    std::string script;
};

// The stand-in's path beside the test program.
std::string ArchiverStandIn();

// Every start logged in `log`, in order; none when there is no log.
std::vector<ArchiverStart> ReadArchiverLog(const std::string& log);
