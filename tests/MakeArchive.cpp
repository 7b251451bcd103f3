// Writes the tests' archives for readers outside them.
//   make_archive ARCHIVE           the tests' small sound MPQ archive, for the demo's game folders
//   make_archive /stormlib FOLDER  in FOLDER, listed.mpq (with a "(listfile)") and d2like.mpq (as the
//                                  game's own, without one), and each archive's files as they
//                                  should come out of it, under expected\listed and expected\d2like;
//                                  and soundness\N.mpq, one per case of MpqSoundnessCases, with
//                                  soundness.txt: a line "N sound" or "N damaged" each, as the
//                                  installer judges it, then what it is
#include "TestSupport.h"

#include "install/MpqArchive.h"

#include <string>

namespace {

void WriteExpected(const std::string& folder, const std::vector<MpqFile>& files)
{
    for (const MpqFile& file : files) {
        for (std::size_t slash = file.name.find('\\'); slash != std::string::npos;
             slash = file.name.find('\\', slash + 1))
            CreateDirectoryA((folder + "\\" + file.name.substr(0, slash)).c_str(), nullptr);
        WriteTextFile(folder + "\\" + file.name, file.bytes);
    }
}

// Beside the game-like files, one that spans several of the archive's sectors of 4096 bytes.
std::vector<MpqFile> ListedFiles()
{
    std::vector<MpqFile> files = GameLikeFiles(40);
    std::string large;
    for (int i = 0; large.size() < 20000; ++i)
        large += std::to_string(i) + ",";
    files.push_back({"data\\global\\excel\\Large Table.txt", large});
    return files;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2) {
        WriteTextFile(argv[1], MpqArchive());
        return 0;
    }
    if (argc != 3 || std::string(argv[1]) != "/stormlib")
        return 2;
    const std::string folder = argv[2];
    for (const char* made : {"", "\\expected", "\\expected\\listed", "\\expected\\d2like"})
        CreateDirectoryA((folder + made).c_str(), nullptr);
    WriteTextFile(folder + "\\listed.mpq", MpqArchiveOf(ListedFiles(), 64));
    WriteExpected(folder + "\\expected\\listed", ListedFiles());
    WriteTextFile(folder + "\\d2like.mpq", D2LikeArchive());
    WriteExpected(folder + "\\expected\\d2like", GameLikeFiles(kD2LikeFiles));
    CreateDirectoryA((folder + "\\soundness").c_str(), nullptr);
    std::string judged;
    int number = 0;
    for (const MpqSoundnessCase& archive : MpqSoundnessCases()) {
        WriteTextFile(folder + "\\soundness\\" + std::to_string(++number) + ".mpq", archive.bytes);
        judged += std::to_string(number) + (IsSoundMpq(archive.bytes, archive.bytes.size()) ? " sound " : " damaged ") +
                  archive.what + "\n";
    }
    WriteTextFile(folder + "\\soundness.txt", judged);
    return 0;
}
