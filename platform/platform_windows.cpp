// platform_windows.cpp - platform.h for Windows: wide-character names
// throughout, so that any name Windows can hold can be opened.
#include "platform.h"
#include "temporary_files.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cerrno>
#include <cstring>

namespace {

// Held by a signal_hold while outputs move into place; the console's
// handler waits for it.
SRWLOCK moving_outputs = SRWLOCK_INIT;

// Runs on a thread of its own. The files were created shareable for
// deletion, so they go even while the main thread still writes them.
BOOL WINAPI remove_temporaries_on_break(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT &&
        event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT)
        return FALSE;
    AcquireSRWLockExclusive(&moving_outputs);
    remove_temporaries([](const wchar_t *name) { DeleteFileW(name); });
    ReleaseSRWLockExclusive(&moving_outputs);
    return FALSE; // the default handler then ends the process
}

// UTF-16 code unit c as \uHHHH.
lean_string escaped_unit(wchar_t c) {
    static const char hex[] = "0123456789abcdef";
    const auto u = static_cast<unsigned>(c);
    lean_string out = "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += hex[(u >> shift) & 15u];
    return out;
}

void append_utf8(lean_string &out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16 to UTF-8, a lone surrogate as `lone` gives it.
template <class Lone>
lean_string to_utf8(const native_string &name, Lone lone) {
    lean_string out;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned>(name[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() &&
            static_cast<unsigned>(name[i + 1]) >= 0xDC00 &&
            static_cast<unsigned>(name[i + 1]) <= 0xDFFF) {
            append_utf8(out, 0x10000 + ((c - 0xD800) << 10) +
                                 (static_cast<unsigned>(name[i + 1]) - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += lone(name[i]);
        } else {
            append_utf8(out, c);
        }
    }
    return out;
}

native_string widen(const char *text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    native_string out(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
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

lean_vector<native_string> command_line_arguments(int argc, char **argv) {
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    lean_vector<native_string> out;
    if (wide) {
        for (int i = 0; i < count; ++i)
            out.push_back(native_string(wide[i]));
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

namespace {
bool is_separator(wchar_t c) { return c == L'/' || c == L'\\'; }
} // namespace

native_string join_path(const native_string &dir, const native_string &name) {
    if (dir.empty() || is_separator(dir.back()))
        return dir + name;
    return dir + L'\\' + name;
}

native_string base_name(const native_string &path) {
    const size_t slash = path.find_last_of(L"/\\");
    return slash == native_string::npos ? path : path.substr(slash + 1);
}

native_string absolute_path(const native_string &path) {
    // GetFullPathNameW() takes "." and ".." as they stand, as a lexical
    // normalisation does.
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return native_string();
    native_string out(n, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), n, &out[0], nullptr);
    if (written == 0 || written >= n)
        return native_string();
    out.resize(written);
    for (wchar_t &c : out)
        if (c == L'\\')
            c = L'/';
    return out;
}

bool make_folders(const native_string &dir) {
    // A share's own name (//server/share) is no folder to make: begin
    // after it.
    size_t first = 1;
    if (dir.size() > 2 && is_separator(dir[0]) && is_separator(dir[1])) {
        first = dir.find_first_of(L"/\\", 2);
        first = first == native_string::npos ? dir.size() : dir.find_first_of(L"/\\", first + 1);
        if (first == native_string::npos)
            return true;
        first += 1;
    }
    for (size_t end = first; end <= dir.size(); ++end) {
        if (end < dir.size() && !is_separator(dir[end]))
            continue;
        const native_string folder = dir.substr(0, end);
        if (folder.size() == 2 && folder[1] == L':')
            continue; // a drive's own name
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
                return false;
        } else if (!CreateDirectoryW(folder.c_str(), nullptr) &&
                   GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return true;
}

lean_string display_name(const native_string &name) {
    const int size = static_cast<int>(name.size());
    const int n = WideCharToMultiByte(932, 0, name.data(), size, nullptr, 0, nullptr, nullptr);
    lean_string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(932, 0, name.data(), size, &out[0], n, nullptr, nullptr);
    return out;
}

lean_string message_name(const native_string &name) { return to_utf8(name, escaped_unit); }

lean_string utf8_name(const native_string &name) {
    return to_utf8(name, [](wchar_t) { return lean_string("\xEF\xBF\xBD"); });
}

native_string name_from_utf8(const lean_string &text) {
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    native_string out(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &out[0], n);
    return out;
}

lean_string last_error_text() {
    // The C runtime's calls set errno; the system's own set their code.
    const DWORD code = GetLastError();
    if (code == 0)
        return std::strerror(errno);
    wchar_t *text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    native_string message = n > 0 && text ? native_string(text, n)
                                          : with_suffix(L"system error ", decimal(code).c_str());
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    return utf8_name(message);
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

file_identity identity_of_name(const native_string &name) {
    file_identity id;
    // Opened for its attributes only: no right to read it is needed.
    HANDLE handle = CreateFileW(name.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        identity_of_handle(handle, id);
        CloseHandle(handle);
    }
    return id;
}

mapped_input::~mapped_input() {
    if (data_)
        UnmapViewOfFile(data_);
}

bool mapped_input::open(const native_string &name, lean_string &why) {
    SetLastError(0);
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = "cannot open it for reading: " + last_error_text();
        return false;
    }
    bool ok = false;
    BY_HANDLE_FILE_INFORMATION info;
    LARGE_INTEGER size;
    if (!GetFileInformationByHandle(file, &info) || !GetFileSizeEx(file, &size)) {
        why = "cannot read it: " + last_error_text();
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        why = "it is a folder, not a file";
    } else if (GetFileType(file) != FILE_TYPE_DISK) {
        why = "it is not a regular file (a pipe or a device)";
    } else if (static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX) {
        why = "it is too large to map on this machine";
    } else if (size.QuadPart == 0) {
        ok = true;
    } else {
        HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        const void *view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
        if (!view) {
            why = "cannot map it for reading: " + last_error_text();
        } else {
            data_ = static_cast<const uint8_t *>(view);
            size_ = static_cast<size_t>(size.QuadPart);
            ok = true;
        }
        if (mapping)
            CloseHandle(mapping); // the view keeps the mapping alive
    }
    CloseHandle(file);
    return ok;
}

bool may_replace(const native_string &name) {
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Nothing there yet, not even its folder (which a run may make).
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

std::FILE *create_beside(const native_string &final_name, bool text,
                         native_string &temp_name) {
    // "NAME.enc.mavo-PID-N": beside the output, and not ending like one.
    const unsigned long pid = GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp_name = temporary_name(final_name, with_suffix(L".mavo-", decimal(pid).c_str()) +
                                                   with_suffix(L"-", decimal(attempt).c_str()));
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

signal_hold::signal_hold() { AcquireSRWLockExclusive(&moving_outputs); }

signal_hold::~signal_hold() { ReleaseSRWLockExclusive(&moving_outputs); }

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
