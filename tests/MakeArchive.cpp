// Writes the tests' small sound MPQ archive to the path it is given, for the demo's game folders.
#include "TestSupport.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    WriteTextFile(argv[1], MpqArchive());
    return 0;
}
