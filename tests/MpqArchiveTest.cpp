#include "install/MpqArchive.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(MpqArchive, IsSoundWhenAHeaderIsFoundAndItsTablesFitTheFile)
{
    const std::string sound = MpqArchive();
    const std::string userDataHeader = std::string("MPQ\x1B\0\0\0\0\0\x02\0\0", 12) + std::string(500, '\0');
    const struct {
        const char* what;
        std::string bytes;
        bool sound;
    } cases[] = {
        {"at the start", sound, true},
        {"with bytes after it", sound + "more", true},
        {"at 512", std::string(512, 'x') + sound, true},
        {"after a user-data header", userDataHeader + sound, true},
        {"truncated", sound.substr(0, sound.size() - 1), false},
        {"of another signature", "MPQ\x1C" + sound.substr(4), false},
        {"at no multiple of 512", "x" + sound, false},
        {"with a hash table of 3 entries", MpqArchive(3), false},
        {"with a header size under 32", MpqArchive(4, 31), false},
        {"of four bytes", "MPQ\x1A", false},
    };
    for (const auto& archive : cases)
        EXPECT_EQ(IsSoundMpq(archive.bytes, archive.bytes.size()), archive.sound) << archive.what;
}
