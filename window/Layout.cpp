#include "window/Layout.h"

#include "resources/lang/TextIds.h"

#include <stdexcept>

// clang-format off
const std::array<ControlSpec, kControlCount> kForm1Controls = {{
    {kFrame1,   "Frame1",   ControlKind::Frame,     kForm1,  nullptr,  IDS_MOD_INFO,           45,   60,   5880, 1425},
    {kLabel1,   "Label1",   ControlKind::Label,     kFrame1, "Label1", 0,                      180,  210,  5625, 285},
    {kLabel2,   "Label2",   ControlKind::Label,     kFrame1, nullptr,  IDS_AUTHOR,             180,  510,  5655, 270},
    {kText1,    "Text1",    ControlKind::TextBox,   kFrame1, "Text1",  0,                      165,  795,  5655, 510},
    {kFrame2,   "Frame2",   ControlKind::Frame,     kForm1,  nullptr,  IDS_GAME_FOLDER,        30,   1530, 2760, 2775},
    {kDir1,     "Dir1",     ControlKind::DirList,   kFrame2, "",       0,                      90,   1020, 2565, 1665},
    {kDrive1,   "Drive1",   ControlKind::DriveList, kFrame2, "",       0,                      90,   660,  2565, 315},
    {kLabel3,   "Label3",   ControlKind::Label,     kFrame2, nullptr,  IDS_SELECT_GAME_FOLDER, 105,  255,  2535, 390},
    {kFrame3,   "Frame3",   ControlKind::Frame,     kForm1,  nullptr,  IDS_COMPLETE_INSTALL,   2850, 3030, 3180, 1305},
    {kCommand1, "Command1", ControlKind::Button,    kFrame3, nullptr,  IDS_INSTALL_MOD,        105,  270,  3000, 375},
    {kLabel4,   "Label4",   ControlKind::Label,     kFrame3, "",       0,                      645,  675,  1965, 195},
    {kText2,    "Text2",    ControlKind::TextBox,   kForm1,  "Text2",  0,                      6045, 1665, 2250, 1245},
    {kText3,    "Text3",    ControlKind::TextBox,   kForm1,  "Text2",  0,                      6060, 1620, 2250, 1245},
    {kLabel5,   "Label5",   ControlKind::Label,     kFrame3, "",       0,                      60,   855,  3015, 360},
    {kImage1,   "Image1",   ControlKind::Picture,   kForm1,  "",       0,                      2910, 1635, 3000, 1305},
}};
// clang-format on

int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

RECT ControlRect(const ControlSpec& control, UINT dpi)
{
    const int left = TwipsToPixels(control.left, dpi);
    const int top = TwipsToPixels(control.top, dpi);
    return {left, top, left + TwipsToPixels(control.width, dpi), top + TwipsToPixels(control.height, dpi)};
}

const ControlSpec& FindControlSpec(ControlId id)
{
    for (const auto& control : kForm1Controls) {
        if (control.id == id)
            return control;
    }
    throw std::out_of_range("no such control");
}

ControlClass ClassFor(const ControlSpec& control)
{
    switch (control.kind) {
    case ControlKind::Frame:
        return {L"BUTTON", BS_GROUPBOX, WS_EX_CONTROLPARENT};
    case ControlKind::Label:
        return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::TextBox:
        // The feature text is only shown; the two script boxes lie outside the window and keep
        // out of the tab order, so the focus never goes where the user can't see it.
        if (control.id == kText1)
            return {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        return {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Button:
        return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::DriveList:
        return {L"COMBOBOX", CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::DirList:
        return {L"LISTBOX",
                LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case ControlKind::Picture:
        return {L"STATIC", SS_BITMAP | SS_REALSIZECONTROL, 0};
    }
    return {L"STATIC", 0, 0};
}
