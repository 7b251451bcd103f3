// The remembered location as the settings store may hold it: too long, of the wrong type, behind
// a key this user can't read, naming folders and drives that are gone, or written by other
// installers in their own drive forms. Start-up skips what it can't use, silently, and leaves it
// stored; a value that can't be saved is the one failure report, which names the missing rights.
#include "install/Failure.h"
#include "settings/Location.h"
#include "system/Drives.h"
#include "system/FileSystem.h"

#include "FormTestSupport.h"
#include "Tally.h"

#include <sddl.h>

namespace {

void StoreRaw(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY created = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr),
        ERROR_SUCCESS);
    const RegKey key(created);
    ASSERT_EQ(RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

// Sets the settings key's access list for as long as it lives, then gives everyone full access
// back through the handle it set it with.
class KeyAccess {
public:
    explicit KeyAccess(const char* sddl)
    {
        HKEY created = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, WRITE_DAC | READ_CONTROL, nullptr, &created,
                        nullptr);
        key_.Reset(created);
        applied_ = Apply(sddl);
    }
    ~KeyAccess() { Apply("D:(A;;KA;;;WD)"); }
    KeyAccess(const KeyAccess&) = delete;
    KeyAccess& operator=(const KeyAccess&) = delete;

    bool Applied() const { return applied_; }

private:
    bool Apply(const char* sddl)
    {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!key_ || !ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr))
            return false;
        const bool applied = RegSetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
        LocalFree(descriptor);
        return applied;
    }

    RegKey key_;
    bool applied_ = false;
};

}  // namespace

class LocationAttack : public FormTest {
protected:
    // Starts the window on what the store holds: it must start without a box, on a drive the
    // list shows and a folder that exists, with the stored values untouched.
    std::unique_ptr<Form1> StartOnStored()
    {
        const GameLocation before = LoadLocation();
        MessageBoxWatcher boxes;
        auto form = Start();
        EXPECT_TRUE(form->Handle() != nullptr);
        EXPECT_EQ(form->ExitCode(), 0);
        EXPECT_TRUE(boxes.Boxes().empty());
        if (form->Handle()) {
            EXPECT_TRUE(DirectoryExists(form->Dir1().Path())) << form->Dir1().Path();
            EXPECT_EQ(form->Drive1().Letter(), DriveLetterOf(form->Dir1().Path()));
        }
        const GameLocation after = LoadLocation();
        EXPECT_EQ(after.path, before.path);
        EXPECT_EQ(after.drive, before.drive);
        return form;
    }
};

TEST_F(LocationAttack, APathOfTenThousandCharactersIsSkipped)
{
    AttackCase attack(Attack::BadInput);
    SaveLocation("C:\\" + std::string(10000, 'd'), "c:");
    StartOnStored();
    EXPECT_EQ(LoadLocation().path.size(), 10003u);
}

TEST_F(LocationAttack, ValuesOfTheWrongTypeReadAsAbsent)
{
    AttackCase attack(Attack::BadInput);
    const DWORD number = 3;
    StoreRaw("D2 Path", REG_DWORD, &number, sizeof number);
    StoreRaw("D2 Drive", REG_BINARY, "\x01\x02z", 3);
    const GameLocation location = LoadLocation();
    EXPECT_EQ(location.path, "");
    EXPECT_EQ(location.drive, "");
    StartOnStored();
    // A list of strings reads as absent; a string stored without its NUL reads whole.
    StoreRaw("D2 Path", REG_MULTI_SZ, "C:\\\0second\0", 12);
    StoreRaw("D2 Drive", REG_SZ, "c:", 2);
    StartOnStored();
}

TEST_F(LocationAttack, StoredFoldersAndDrivesThatAreGoneAreSkippedSilently)
{
    TempDir gone;
    const std::string removed = gone / "Diablo II";
    for (const auto& [path, drive] :
         std::vector<std::pair<std::string, std::string>>{{removed, "c:"},
                                                          {"Q:\\Games\\Diablo II", "q:"},
                                                          {"\\\\nowhere\\share\\Diablo II", "\\\\nowhere"},
                                                          {"C:\\Windows\\win.ini", "c:"},
                                                          {std::string("C:\\\x80\xff"), "c:"}}) {
        AttackCase attack(Attack::BadInput);
        SaveLocation(path, drive);
        StartOnStored();
    }
}

TEST_F(LocationAttack, OtherInstallersDriveFormsSelectTheirDriveOrAreSkipped)
{
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    const char letter = DriveLetterOf(windows);
    const std::string upper(1, static_cast<char>(std::toupper(letter)));
    for (const std::string& drive : {upper + ":", upper + ":\\", upper + ":\\\\", std::string(1, letter) + ": [SYSTEM]",
                                     "[-" + std::string(1, letter) + "-]", std::string("  c:"), std::string("1:"),
                                     std::string("\xe9:"), std::string(300, 'c')}) {
        AttackCase attack(Attack::BadInput);
        SaveLocation("", drive);
        auto form = StartOnStored();
        if (DriveLetterOf(drive) == letter && form->Handle()) {
            EXPECT_EQ(form->Drive1().Letter(), letter) << drive;
        }
    }
}

TEST_F(LocationAttack, AKeyThisUserCantReadStartsOnTheDefaultsAndSavingItIsReportedWithTheRights)
{
    SaveLocation("C:\\", "c:");
    AttackCase attack(Attack::Fault);
    const KeyAccess denied("D:(D;;KA;;;WD)");
    ASSERT_TRUE(denied.Applied());
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &opened), ERROR_ACCESS_DENIED)
        << "the fault didn't take: the key is still readable";
    const GameLocation location = LoadLocation();
    EXPECT_EQ(location.path, "");
    EXPECT_EQ(location.drive, "");

    TempDir noGame;
    MessageBoxWatcher boxes;
    auto form = Start();
    ASSERT_TRUE(form->Handle() != nullptr);
    ASSERT_NO_THROW(form->Dir1().SetPath(noGame.Path()));
    SendMessageA(form->Control(kCommand1), BM_CLICK, 0, 0);
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "File Not Found");
    EXPECT_EQ(shown[1].title, kFailureTitle);
    EXPECT_NE(shown[1].text.find("HKEY_CURRENT_USER\\" + std::string(kSettingsKey)), std::string::npos)
        << shown[1].text;
    EXPECT_NE(shown[1].text.find("as administrator"), std::string::npos) << shown[1].text;
    EXPECT_EQ(form->Handle(), nullptr);
    EXPECT_EQ(form->ExitCode(), 1);
}
