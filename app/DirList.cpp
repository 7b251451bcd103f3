#include "app/DirList.h"

#include "system/FileSystem.h"
#include "system/Win32Error.h"

#include <algorithm>
#include <cctype>

std::string ReportedPath(const std::string& path)
{
    std::string full = FullPath(path);
    if (full.size() >= 2 && full[1] == ':')
        full[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(full[0])));
    const bool driveRoot = full.size() == 3 && full[1] == ':';
    while (full.size() > 1 && full.back() == '\\' && !driveRoot)
        full.pop_back();
    return full;
}

std::vector<std::string> SplitFolderPath(const std::string& path)
{
    // The root is "C:\", or "\\server\share" for a network path.
    size_t rootLength = 0;
    if (path.rfind("\\\\", 0) == 0) {
        const size_t server = path.find('\\', 2);
        const size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
        rootLength = share == std::string::npos ? path.size() : share;
    } else {
        rootLength = std::min<size_t>(path.size(), path.size() >= 3 && path[1] == ':' ? 3 : 1);
    }
    std::vector<std::string> parts{path.substr(0, rootLength)};
    for (size_t start = rootLength; start < path.size();) {
        const size_t end = std::min(path.find('\\', start), path.size());
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

namespace {

// The key that orders `name` as lstrcmpiA orders it: compared as bytes, two keys give the
// system's case-blind comparison of the names.
std::string SortKey(const std::string& name)
{
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int length = LCMapStringA(LOCALE_USER_DEFAULT, flags, name.c_str(), -1, nullptr, 0);
    std::string key(static_cast<size_t>(length), '\0');
    LCMapStringA(LOCALE_USER_DEFAULT, flags, name.c_str(), -1, key.data(), length);
    return key;
}

}  // namespace

std::vector<std::string> ListSubfolders(const std::string& folder)
{
    const std::string pattern = JoinPath(folder, "*");
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &found, FindExSearchLimitToDirectories,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    // Each name with its sort key: a folder of thousands of subfolders is sorted with one key per
    // name, where comparing the names themselves would convert both at every comparison.
    std::vector<std::pair<std::string, std::string>> keyed;
    if (!find) {
        // An empty drive root has no "." entry to find.
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return {};
        ThrowLastError("Read folder", folder);
    }
    do {
        std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) &&
            name != "." && name != "..")
            keyed.emplace_back(SortKey(name), std::move(name));
    } while (FindNextFileA(find.Get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES)
        ThrowLastError("Read folder", folder);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    names.reserve(keyed.size());
    for (auto& entry : keyed)
        names.push_back(std::move(entry.second));
    return names;
}

namespace {

// Windows' own folder icons, closed and open, as shell32 carries them (resources 4 and 5) and the
// shell's folder lists show them. Taken from the resources directly: asking the shell for them
// (SHGetFileInfo) first builds its whole icon cache, which costs more than the rest of start-up.
// shell32 is loaded with the program, which starts the archiver through the shell.
ScopedIcon FolderIcon(int resourceId)
{
    const int size = GetSystemMetrics(SM_CXSMICON);
    return ScopedIcon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA("shell32.dll"), MAKEINTRESOURCEA(resourceId), IMAGE_ICON, size, size, 0)));
}

int Scale(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), 96); }

}  // namespace

int DirListItemHeight(UINT dpi) { return Scale(18, dpi); }

void DirList::Attach(HWND listbox, UINT dpi)
{
    list_ = listbox;
    closedIcon_ = FolderIcon(4);
    openIcon_ = FolderIcon(5);
    SetDpi(dpi);
}

void DirList::SetDpi(UINT dpi)
{
    dpi_ = dpi;
    SendMessageA(list_, LB_SETITEMHEIGHT, 0, DirListItemHeight(dpi));
    InvalidateRect(list_, nullptr, TRUE);
}

void DirList::SetPath(const std::string& path)
{
    const std::string full = ReportedPath(path);
    const DWORD attributes = GetFileAttributesA(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        ThrowLastError("Open folder", full);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw Win32Error("Open folder", full, ERROR_DIRECTORY);
    const std::vector<std::string> subfolders = ListSubfolders(full);

    path_ = full;
    openFolders_ = SplitFolderPath(full);

    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    SendMessageA(list_, LB_INITSTORAGE, openFolders_.size() + subfolders.size(), 32 * subfolders.size());
    for (const auto& name : openFolders_)
        SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    for (const auto& name : subfolders)
        SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(list_, LB_SETCURSEL, openFolders_.size() - 1, 0);
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

std::string DirList::EntryPath(int index) const
{
    if (index < OpenFolderCount()) {
        std::string path = openFolders_[0];
        for (int i = 1; i <= index; ++i)
            path = JoinPath(path, openFolders_[i]);
        return path;
    }
    std::string name(static_cast<size_t>(SendMessageA(list_, LB_GETTEXTLEN, index, 0)) + 1, '\0');
    SendMessageA(list_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name.data()));
    name.resize(strlen(name.c_str()));
    return JoinPath(path_, name);
}

void DirList::OpenEntry(int index)
{
    if (index >= 0 && index < SendMessageA(list_, LB_GETCOUNT, 0, 0))
        SetPath(EntryPath(index));
}

void DirList::Draw(const DRAWITEMSTRUCT& item) const
{
    if (item.itemID == static_cast<UINT>(-1))
        return;
    const int index = static_cast<int>(item.itemID);
    const bool selected = item.itemState & ODS_SELECTED;
    HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    const int level = std::min(index, OpenFolderCount());
    const int iconSize = Scale(16, dpi_);
    const int left = item.rcItem.left + Scale(2, dpi_) + level * Scale(8, dpi_);
    const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - iconSize) / 2;
    DrawIconEx(dc, left, top, index < OpenFolderCount() ? openIcon_.Get() : closedIcon_.Get(), iconSize, iconSize, 0,
               nullptr, DI_NORMAL);

    char text[MAX_PATH] = "";
    SendMessageA(list_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    RECT textRect = item.rcItem;
    textRect.left = left + iconSize + Scale(4, dpi_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextA(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(dc, &item.rcItem);
}
