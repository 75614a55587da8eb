#include <windows.h>
#include <shlobj.h>

#include "platform/Platform.h"

namespace Platform {

void showMessageBox(const char* text, const char* caption, MessageStyle style)
{
    const UINT flags = style == MessageStyle::taskModalError ? (MB_OK | MB_ICONERROR | MB_TASKMODAL) : MB_OK;
    MessageBoxA(nullptr, text, caption, flags);
}

bool appDataFolder(std::string& path)
{
    char folder[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return false;
    path = folder;
    return true;
}

char pathSeparator() { return '\\'; }

bool createFolder(const std::string& path)
{
    if (CreateDirectoryA(path.c_str(), nullptr))
        return true;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

ReadResult readWholeFile(const std::string& path, std::size_t sizeLimit, std::vector<unsigned char>& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ReadResult::missing;
    LARGE_INTEGER size;
    ReadResult result = ReadResult::ok;
    if (!GetFileSizeEx(file, &size)) {
        result = ReadResult::failed;
    } else if (static_cast<unsigned long long>(size.QuadPart) >= sizeLimit) {
        result = ReadResult::tooLarge;
    } else {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                               got != bytes.size()))
            result = ReadResult::failed;
    }
    CloseHandle(file);
    return result;
}

bool writeWholeFile(const std::string& path, const void* bytes, std::size_t count)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = count == 0 || (WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) &&
                                   written == count);
    CloseHandle(file);
    return ok;
}

}  // namespace Platform
