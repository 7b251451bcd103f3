#pragma once
// Form1's fixed layout: every control, its kind, the control it sits in, its first text, and its
// place in twips (1/1440 inch; 15 twips make a pixel at 96 DPI), in tab order.
#include <windows.h>

#include <array>

enum class ControlKind { Frame, Label, TextBox, Button, DriveList, DirList, Picture };

enum ControlId : int {
    kForm1 = 0,  // the window itself, as a parent
    kFrame1 = 100,
    kLabel1,
    kLabel2,
    kText1,
    kFrame2,
    kDir1,
    kDrive1,
    kLabel3,
    kFrame3,
    kCommand1,
    kLabel4,
    kText2,
    kText3,
    kLabel5,
    kImage1,
};

struct ControlSpec {
    ControlId id;
    const char* name;
    ControlKind kind;
    ControlId parent;
    const char* text;              // the first text, where the control has none in the player's language
    UINT textId;                   // the first text in the player's language (system/Texts.h), 0 for none
    int left, top, width, height;  // twips, relative to the parent's client area
};

// In tab order: creating the controls in this order gives keyboard focus the same order.
constexpr size_t kControlCount = 15;
extern const std::array<ControlSpec, kControlCount> kForm1Controls;

constexpr int kClientWidthTwips = 6090;
constexpr int kClientHeightTwips = 4395;

int TwipsToPixels(int twips, UINT dpi);

// The control's rectangle in pixels at `dpi`, relative to its parent's client area.
RECT ControlRect(const ControlSpec& control, UINT dpi);

const ControlSpec& FindControlSpec(ControlId id);

// The standard control each kind is made of, with its styles.
struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassFor(const ControlSpec& control);
