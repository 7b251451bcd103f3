// What Install.exe carries besides its code: the version resource Windows shows in its properties,
// and the manifest Windows reads before it starts it.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <utility>

TEST(Resources, InstallExeCarriesVersion100AndCopyright)
{
    std::string info(GetFileVersionInfoSizeA(BuiltInstallExe().c_str(), nullptr), '\0');
    ASSERT_TRUE(GetFileVersionInfoA(BuiltInstallExe().c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &value, &size));
    EXPECT_EQ(static_cast<VS_FIXEDFILEINFO*>(value)->dwFileVersionMS, 0x10000u);  // 1.0
    const std::pair<std::string, std::string> strings[] = {
        {"FileVersion", "1.00"},
        {"ProductVersion", "1.00"},
        {"LegalCopyright", "Copyright (c) 2026 The Vornikel installer authors. MIT License."}};
    for (const auto& [name, text] : strings)
        EXPECT_TRUE(VerQueryValueA(info.data(), ("\\StringFileInfo\\040904b0\\" + name).c_str(), &value, &size) &&
                    std::string(static_cast<char*>(value)) == text)
            << name;
}

// Any program may start it: with a manifest asking for an administrator's rights, CreateProcess from
// a caller without them fails (error 740), which the Wine the tests run under never shows.
TEST(Resources, InstallExesManifestAsksForNoMoreRightsThanItsCallersOwn)
{
    const HMODULE exe = LoadLibraryExA(BuiltInstallExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(exe);
    const HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_TRUE(found);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(exe, found))),
                               SizeofResource(exe, found));
    FreeLibrary(exe);
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos) << manifest;
}
