// platform_windows.cpp - platform.h for Windows: wide-character names
// throughout, so that any name Windows can hold can be opened.
#include "platform.h"
#include "temporary_files.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace {

// Runs on a thread of its own. The files were created shareable for
// deletion, so they go even while the main thread still writes them.
BOOL WINAPI remove_temporaries_on_break(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    remove_temporaries([](const wchar_t *name) { DeleteFileW(name); });
    return FALSE; // the default handler then ends the process
}

std::wstring widen(const char *text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], n);
    if (!out.empty())
        out.pop_back(); // the terminating null
    return out;
}

bool identity_of_handle(HANDLE handle, file_identity &id) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info))
        return false;
    id.known = true;
    id.volume = info.dwVolumeSerialNumber;
    id.index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

} // namespace

std::vector<native_string> command_line_arguments(int argc, char **argv) {
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<native_string> out;
    if (wide) {
        for (int i = 0; i < count; ++i)
            out.emplace_back(wide[i]);
        LocalFree(wide);
    } else {
        for (int i = 0; i < argc; ++i)
            out.push_back(widen(argv[i]));
    }
    return out;
}

native_string with_suffix(const native_string &name, const char *suffix) {
    native_string out = name;
    for (const char *c = suffix; *c; ++c)
        out += static_cast<wchar_t>(*c);
    return out;
}

std::string display_name(const native_string &name) {
    const int size = static_cast<int>(name.size());
    const int n = WideCharToMultiByte(932, 0, name.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(932, 0, name.data(), size, &out[0], n, nullptr, nullptr);
    return out;
}

std::FILE *open_for_reading(const native_string &name) {
    return _wfopen(name.c_str(), L"rb");
}

file_identity identity_of(std::FILE *file) {
    file_identity id;
    const intptr_t handle = _get_osfhandle(_fileno(file));
    if (handle != -1)
        identity_of_handle(reinterpret_cast<HANDLE>(handle), id);
    return id;
}

bool names_file(const native_string &name, const file_identity &identity) {
    if (!identity.known)
        return false;
    // Opened for its attributes only; links and junctions are followed.
    HANDLE handle = CreateFileW(name.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    file_identity other;
    const bool same = identity_of_handle(handle, other) && other.volume == identity.volume &&
                      other.index == identity.index;
    CloseHandle(handle);
    return same;
}

bool may_replace(const native_string &name) {
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

std::FILE *create_beside(const native_string &final_name, bool text,
                         native_string &temp_name) {
    // "NAME.enc.mavo-PID-N": beside the output, and not ending like one.
    const unsigned long pid = GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp_name = temporary_name(final_name, L".mavo-" + std::to_wstring(pid) + L"-" +
                                                   std::to_wstring(attempt));
        if (!register_temporary(temp_name))
            return nullptr;
        HANDLE handle = CreateFileW(temp_name.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            forget_temporary(temp_name);
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return nullptr;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                       _O_WRONLY | (text ? _O_TEXT : _O_BINARY));
        if (fd == -1) {
            CloseHandle(handle);
        } else if (std::FILE *file = _fdopen(fd, text ? "w" : "wb")) {
            return file;
        } else {
            _close(fd);
        }
        remove_file(temp_name);
        forget_temporary(temp_name);
        return nullptr;
    }
    return nullptr;
}

bool move_over(const native_string &temp_name, const native_string &final_name) {
    return MoveFileExW(temp_name.c_str(), final_name.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void remove_file(const native_string &name) { DeleteFileW(name.c_str()); }

void prepare_process() {
    // Standard streams without a handle write nowhere rather than into a
    // file of the run.
    if (_get_osfhandle(0) < 0)
        std::freopen("NUL", "rb", stdin);
    if (_get_osfhandle(1) < 0)
        std::freopen("NUL", "wb", stdout);
    if (_get_osfhandle(2) < 0)
        std::freopen("NUL", "wb", stderr);
    SetConsoleCtrlHandler(remove_temporaries_on_break, TRUE);
}
