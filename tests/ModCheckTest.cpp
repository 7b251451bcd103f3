#include "commandline/ModCheck.h"
#include "system/CodePage.h"
#include "system/ProcessSetup.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

template <typename T>
std::string Bytes(const T& value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// A 32-bit program, as the real archiver is, that imports `dll`: its headers, one section, and the
// import table there. It is only read, never run.
std::string ProgramImporting(const std::string& dll)
{
    IMAGE_DOS_HEADER dos{};
    dos.e_magic = IMAGE_DOS_SIGNATURE;
    dos.e_lfanew = sizeof dos;
    IMAGE_NT_HEADERS32 nt{};
    nt.Signature = IMAGE_NT_SIGNATURE;
    nt.FileHeader.Machine = IMAGE_FILE_MACHINE_I386;
    nt.FileHeader.NumberOfSections = 1;
    nt.FileHeader.SizeOfOptionalHeader = sizeof nt.OptionalHeader;
    nt.OptionalHeader.Magic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    nt.OptionalHeader.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
    nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT] = {0x1000, 2 * sizeof(IMAGE_IMPORT_DESCRIPTOR)};
    IMAGE_SECTION_HEADER section{};
    section.VirtualAddress = 0x1000;
    section.SizeOfRawData = section.PointerToRawData = 0x200;
    IMAGE_IMPORT_DESCRIPTOR imports[2]{};
    imports[0].Name = 0x1000 + sizeof imports;
    std::string image = Bytes(dos) + Bytes(nt) + Bytes(section);
    image.resize(0x200, '\0');
    image += Bytes(imports) + dll;
    image.resize(0x400, '\0');
    return image;
}

// modsettings.ini in UTF-16, little-endian or big-endian, with its byte-order mark.
std::string Utf16(const std::string& text, bool littleEndian)
{
    std::string wide = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : text)
        wide += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
    return wide;
}

}  // namespace

TEST(CheckModFolder, PassesAGoodModAndNamesEachProblemAPlayersWindowsWouldMeet)
{
    TempDir mod;
    PlaceMod(mod.Path(),
             "o patch_d2.mpq\r\na data\\misc.txt data\\global\\excel\\misc.txt\r\n; a gone.txt\r\n\r\n"
             "A data\\*.txt\r\ns \"more script.txt\"\r\no other.mpq\r\n");
    const std::string ini = "[MainSettings]\r\nTitle=" + std::string(254, 't') +
                            "\r\nAuthor=A\r\nFeatures=F\r\nScriptFile=mod script.txt\r\n";
    WriteTextFile(mod / "modsettings.ini", Utf16(ini, true));
    MakeDirectory(mod / "data");
    WriteTextFile(mod / "data\\misc.txt", "misc");
    WriteTextFile(mod / "other.mpq", MpqArchive());
    WriteTextFile(mod / "more script.txt", "s \"more script.txt\"\na data\r\n");
    WriteTextFile(mod / "listfile.dat", "data\\global\\excel\\misc.txt\r\n");
    const std::wstring folder = FromCodePage(mod.Path());
    std::vector<CheckResult> results = CheckModFolder(folder);
    EXPECT_EQ(results.size(), 18u);
    for (const CheckResult& result : results)
        EXPECT_TRUE(result.ok) << ToCodePageLossy(result.text);

    // Windows can't read a section after a UTF-8 byte-order mark (Wine can), the name must be
    // exactly patch_d2.mpq (another opens a new archive), what the script adds must be there, the
    // archiver must not wait for a key, a file must go in under a name the game asks for (with "\\"),
    // and the archiver's DLLs must be found.
    WriteTextFile(mod / "modsettings.ini", "\xEF\xBB\xBF[MainSettings]\r\nTitle=T\r\nAuthor=A\r\nFeatures=" +
                                               std::string(255, 'f') + "\r\nScriptFile=mod script.txt\r\n");
    WriteTextFile(mod / "mod script.txt",
                  "o PATCH_D2.MPQ\r\na data\\gone.txt\r\na data\\*.dat\rp\r\na empty\\*\r\n"
                  "a data\\misc.txt data/global/misc.txt\r\n");
    MakeDirectory(mod / "empty");
    WriteTextFile(mod / "mpq2k.exe", ProgramImporting("archiver_helper.dll"));
    results = CheckModFolder(folder);
    std::vector<std::string> problems;
    for (const CheckResult& result : results) {
        if (!result.ok)
            problems.push_back(ToCodePageLossy(result.text).substr(0, 40));
    }
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "modsettings.ini starts with a UTF-8 byte", "Features in [MainSettings] is 255 charac",
                            "The script never names patch_d2.mpq (in ", "mod script.txt, line 1: o opens the arch",
                            "mod script.txt, line 2: a reads data\\gon", "mod script.txt, line 3: a reads data\\*.d",
                            "mod script.txt, line 4: p waits for a ke", "mod script.txt, line 5: a reads empty\\*,",
                            "mod script.txt, line 6: a stores its fil", "mpq2k.exe needs archiver_helper.dll, whi"}));
    WriteTextFile(mod / "archiver_helper.dll", "");
    WriteTextFile(mod / "modsettings.ini", Utf16(ini, false));
    results = CheckModFolder(folder);
    EXPECT_EQ(ToCodePageLossy(results[2].text).substr(0, 37), "modsettings.ini is UTF-16 big-endian,");
    EXPECT_TRUE(results.back().ok && results[results.size() - 2].ok);

    // Windows brings a 32-bit archiver's DLLs from SysWOW64 on 64-bit Windows, not from System32.
    char wow64[MAX_PATH] = "";
    ASSERT_NE(GetSystemWow64DirectoryA(wow64, MAX_PATH), 0u);
    const std::string dll = "archiver_system_" + std::to_string(GetCurrentProcessId()) + ".dll";
    WriteTextFile(std::string(wow64) + "\\" + dll, "");
    WriteTextFile(mod / "mpq2k.exe", ProgramImporting(dll));
    EXPECT_TRUE(CheckModFolder(folder).rbegin()[1].ok);
    MoveFileA((std::string(wow64) + "\\" + dll).c_str(), (SystemFolder() + "\\" + dll).c_str());
    EXPECT_FALSE(CheckModFolder(folder).rbegin()[1].ok);
    DeleteFileA((SystemFolder() + "\\" + dll).c_str());

    // Links back up the tree, made beside the tests on the Linux side, that a pattern's /r meets.
    const std::string loop = BesideThisProgram("link-loop");
    PlaceMod(loop, "o patch_d2.mpq\r\na data\\* data /r\r\n");
    results = CheckModFolder(FromCodePage(loop));
    EXPECT_EQ(std::count_if(results.begin(), results.end(),
                            [](const CheckResult& result) {
                                return !result.ok && result.text.find(
                                                         L"line 2: /r meets data\\sub\\up, a symbolic "
                                                         L"link or junction") != std::wstring::npos;
                            }),
              1);
}
