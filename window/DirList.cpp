#include "window/DirList.h"

#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/Module1.h"
#include "system/PathText.h"
#include "system/Win32Error.h"

#include <algorithm>
#include <cctype>

namespace {

// The key that orders `name` as the system's case-blind comparison (lstrcmpiW) does: compared as
// bytes, two keys give that comparison of the names.
std::string SortKey(const std::wstring& name)
{
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int length = LCMapStringW(LOCALE_USER_DEFAULT, flags, name.c_str(), -1, nullptr, 0);
    std::string key(static_cast<size_t>(length), '\0');
    LCMapStringW(LOCALE_USER_DEFAULT, flags, name.c_str(), -1, reinterpret_cast<wchar_t*>(key.data()), length);
    return key;
}

// The name by which the program opens the subfolder `name` of `folder`.
std::string OpenName(const std::wstring& folder, const std::wstring& name)
{
    if (auto plain = ToCodePage(name))
        return *plain;
    // The alias as the folder's full short path ends in it; where Windows gives no 8.3 name that
    // is the long name again, which the code page can't hold either.
    const std::wstring shortPath = GetShortPath(folder + L"\\" + name);
    return ToCodePage(shortPath.substr(shortPath.rfind(L'\\') + 1)).value_or("");
}

}  // namespace

std::vector<FolderEntry> ListSubfolders(const std::string& folder)
{
    std::wstring wideFolder = FromCodePage(folder);
    if (!wideFolder.empty() && wideFolder.back() == L'\\')
        wideFolder.pop_back();
    WIN32_FIND_DATAW found;
    FindHandle find(FindFirstFileExW((wideFolder + L"\\*").c_str(), FindExInfoBasic, &found,
                                     FindExSearchLimitToDirectories, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    // Each entry with its sort key: a folder of thousands of subfolders is sorted with one key per
    // name, where comparing the names themselves would convert both at every comparison.
    std::vector<std::pair<std::string, FolderEntry>> keyed;
    if (!find) {
        // An empty drive root has no "." entry to find.
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return {};
        ThrowLastError("Read folder", folder);
    }
    do {
        std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) &&
            name != L"." && name != L"..") {
            std::string key = SortKey(name);
            std::string open = OpenName(wideFolder, name);
            keyed.emplace_back(std::move(key), FolderEntry{std::move(name), std::move(open)});
        }
    } while (FindNextFileW(find.Get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES)
        ThrowLastError("Read folder", folder);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<FolderEntry> entries;
    entries.reserve(keyed.size());
    for (auto& entry : keyed)
        entries.push_back(std::move(entry.second));
    return entries;
}

namespace {

int Scale(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), 96); }

// Windows' own folder icons, closed and open, as shell32 carries them (resources 4 and 5) and the
// shell's folder lists show them, at the size for `dpi`. Taken from the resources directly: asking
// the shell for them (SHGetFileInfo) first builds its whole icon cache, which costs more than the
// rest of start-up. shell32 is loaded with the program, which starts the archiver through the shell.
ScopedIcon FolderIcon(int resourceId, UINT dpi)
{
    const int size = Scale(16, dpi);
    return ScopedIcon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA("shell32.dll"), MAKEINTRESOURCEA(resourceId), IMAGE_ICON, size, size, 0)));
}

// The real names of the folders on the way to `path`, as SplitFolderPath splits it; its own names
// where Windows can't tell the long ones.
std::vector<std::wstring> ShownFolderNames(const std::string& path, const std::vector<std::string>& folders)
{
    std::vector<std::wstring> shown;
    for (const std::string& folder : folders)
        shown.push_back(FromCodePage(folder));
    const std::wstring wide = FromCodePage(path);
    std::wstring longPath(MAX_PATH, L'\0');
    const DWORD length = GetLongPathNameW(wide.c_str(), longPath.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return shown;
    longPath.resize(length);
    std::vector<std::wstring> names{shown.front()};
    for (size_t start = shown.front().size(); start < longPath.size();) {
        const size_t end = std::min(longPath.find(L'\\', start), longPath.size());
        if (end > start)
            names.push_back(longPath.substr(start, end - start));
        start = end + 1;
    }
    return names.size() == shown.size() ? names : shown;
}

}  // namespace

int DirListItemHeight(UINT dpi) { return Scale(18, dpi); }

void DirList::Attach(HWND listbox, std::function<void()> opened)
{
    list_ = listbox;
    opened_ = std::move(opened);
}

void DirList::SetDpi(UINT dpi)
{
    dpi_ = dpi;
    closedIcon_ = FolderIcon(4, dpi);
    openIcon_ = FolderIcon(5, dpi);
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
    std::vector<FolderEntry> subfolders = ListSubfolders(full);

    path_ = full;
    openFolders_ = SplitFolderPath(full);
    shownOpenFolders_ = ShownFolderNames(full, openFolders_);
    subfolders_ = std::move(subfolders);

    // The list's own strings are the names the program opens, for finding an entry by typing.
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    SendMessageA(list_, LB_INITSTORAGE, openFolders_.size() + subfolders_.size(), 32 * subfolders_.size());
    for (const auto& name : openFolders_)
        SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    for (const auto& entry : subfolders_)
        SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.open.c_str()));
    SendMessageA(list_, LB_SETCURSEL, openFolders_.size() - 1, 0);
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    opened_();
}

std::string DirList::EntryPath(int index) const
{
    if (index < OpenFolderCount()) {
        std::string path = openFolders_[0];
        for (int i = 1; i <= index; ++i)
            path = JoinPath(path, openFolders_[i]);
        return path;
    }
    const FolderEntry& entry = subfolders_[static_cast<size_t>(index - OpenFolderCount())];
    if (entry.open.empty())
        throw Win32Error("Open folder", JoinPath(path_, ToCodePageLossy(entry.shown)), ERROR_NO_UNICODE_TRANSLATION);
    return JoinPath(path_, entry.open);
}

const std::wstring& DirList::EntryShownName(int index) const
{
    if (index < OpenFolderCount())
        return shownOpenFolders_[static_cast<size_t>(index)];
    return subfolders_[static_cast<size_t>(index - OpenFolderCount())].shown;
}

std::wstring DirList::EntryShownPath(int index) const
{
    const int last = std::min(index, OpenFolderCount() - 1);
    std::wstring path = shownOpenFolders_[0];
    for (int i = 1; i <= last; ++i)
        path += (path.back() == L'\\' ? L"" : L"\\") + shownOpenFolders_[static_cast<size_t>(i)];
    if (index >= OpenFolderCount())
        path += (path.back() == L'\\' ? L"" : L"\\") + EntryShownName(index);
    return path;
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

    RECT textRect = item.rcItem;
    textRect.left = left + iconSize + Scale(4, dpi_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, EntryShownName(index).c_str(), -1, &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(dc, &item.rcItem);
}
