#include "app/InstallScript.h"

const char* const kArchiveName = "patch_d2.mpq";

std::string RewriteScript(const std::string& script, const std::string& shortPath)
{
    const std::string name = kArchiveName;
    std::string rewritten;
    rewritten.reserve(script.size());
    std::size_t from = 0;
    for (std::size_t found = script.find(name); found != std::string::npos; found = script.find(name, from)) {
        rewritten.append(script, from, found - from);
        rewritten += shortPath;
        from = found + name.size();
    }
    rewritten.append(script, from, std::string::npos);
    return rewritten;
}

std::string QuoteIfSpaced(const std::string& path)
{
    return path.find(' ') == std::string::npos ? path : '"' + path + '"';
}

std::string ArchiverCommandLine(const std::string& applicationDirectory)
{
    return QuoteIfSpaced(applicationDirectory + "\\mpq2k.exe") + " s " +
           QuoteIfSpaced(applicationDirectory + "\\correctscript.tmp");
}
