#pragma once
// A Form1 started the way Install.exe starts it, on a mod folder of the test's own, for a
// fresh user; and the user's gestures on its lists, sent as the real notifications.
#include "window/Form1.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

class FormTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void WriteDescription(const std::string& ini) { WriteTextFile(mod / "modsettings.ini", ini); }
    std::unique_ptr<Form1> Start(Language language = UserLanguage());

    static std::string Text(HWND control);
    static std::string CurrentDrivePath();

    // What the user does: choose a drive, click or double-click a folder entry.
    static void ChooseDrive(Form1& form, char letter);
    static void ClickEntry(Form1& form, int index);
    static void DoubleClickEntry(Form1& form, int index);
    static int EntryIndex(Form1& form, const std::string& text);

    TempDir mod;
    std::optional<MessageBoxWatcher> unexpectedBoxes;
};
