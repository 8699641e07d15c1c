// platform_posix.cpp - platform.h for POSIX systems.
#include "platform.h"
#include "temporary_files.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void remove_temporaries_and_end(int sig) {
    remove_temporaries([](const char *name) { unlink(name); });
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// Every signal whose default action ends the process, but for a crash's
// own (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP, SIGSYS), which are the
// system's and the sanitizers' business. SIGPIPE and SIGXFSZ are ignored
// instead (prepare_process()).
sigset_t ending_signals() {
    sigset_t set;
    sigemptyset(&set);
    const int always[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGABRT, SIGTERM, SIGUSR1,
                          SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU};
    for (int sig : always)
        sigaddset(&set, sig);
#ifdef SIGPOLL
    sigaddset(&set, SIGPOLL);
#endif
#ifdef SIGPWR
    sigaddset(&set, SIGPWR);
#endif
#ifdef SIGSTKFLT
    sigaddset(&set, SIGSTKFLT);
#endif
#ifdef SIGRTMIN
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        sigaddset(&set, sig);
#endif
    return set;
}

// Signals held by a signal_hold, to be restored when it ends.
sigset_t held_before;

// A valid UTF-8 sequence at s[i], or 0: its length.
size_t utf8_sequence(const lean_string &s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned lead = byte(i);
    size_t n = 0;
    unsigned min = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    unsigned code = lead & (0x7Fu >> n);
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return n;
}

void keep_standard_descriptor_open(int fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
        return;
    // The lowest free descriptor is the one that is closed.
    open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
}

// The mode new files get from open(): everything the umask lets through.
mode_t new_file_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    mode_t mode = 0666;
    mode &= ~mask;
    return mode;
}

} // namespace

lean_vector<native_string> command_line_arguments(int argc, char **argv) {
    lean_vector<native_string> out;
    for (int i = 0; i < argc; ++i)
        out.push_back(argv[i]);
    return out;
}

native_string with_suffix(const native_string &name, const char *suffix) {
    return name + suffix;
}

native_string join_path(const native_string &dir, const native_string &name) {
    if (dir.empty() || dir.back() == '/')
        return dir + name;
    return dir + '/' + name;
}

native_string base_name(const native_string &path) {
    const size_t slash = path.find_last_of('/');
    return slash == native_string::npos ? path : path.substr(slash + 1);
}

native_string absolute_path(const native_string &path) {
    lean_string whole = path;
    if (whole.empty() || whole[0] != '/') {
        lean_vector<char> cwd(PATH_MAX);
        while (!getcwd(cwd.data(), cwd.size())) {
            if (errno != ERANGE)
                return lean_string();
            cwd.resize(cwd.size() * 2);
        }
        whole = join_path(cwd.data(), path);
    }
    lean_vector<lean_string> names;
    for (size_t start = 0; start < whole.size();) {
        size_t end = whole.find('/', start);
        if (end == lean_string::npos)
            end = whole.size();
        const lean_string name = whole.substr(start, end - start);
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        start = end + 1;
    }
    lean_string out;
    for (const lean_string &name : names)
        out += '/' + name;
    return out.empty() ? "/" : out;
}

bool make_folders(const native_string &dir) {
    for (size_t end = 1; end <= dir.size(); ++end) {
        if (end < dir.size() && dir[end] != '/')
            continue;
        const lean_string folder = dir.substr(0, end);
        struct stat st;
        if (stat(folder.c_str(), &st) == 0 ? !S_ISDIR(st.st_mode)
                                           : mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

lean_string display_name(const native_string &name) { return name; }

lean_string message_name(const native_string &name) {
    static const char hex[] = "0123456789abcdef";
    lean_string out;
    for (size_t i = 0; i < name.size();) {
        const size_t n = utf8_sequence(name, i);
        if (n > 0) {
            out.append(name, i, n);
            i += n;
            continue;
        }
        const auto byte = static_cast<unsigned char>(name[i++]);
        out += "\\x";
        out += hex[byte >> 4];
        out += hex[byte & 15];
    }
    return out;
}

lean_string utf8_name(const native_string &name) { return name; }

native_string name_from_utf8(const lean_string &text) { return text; }

lean_string last_error_text() { return std::strerror(errno); }

std::FILE *open_for_reading(const native_string &name) {
    return std::fopen(name.c_str(), "rb");
}

file_identity identity_of(std::FILE *file) {
    file_identity id;
    struct stat st;
    if (fstat(fileno(file), &st) == 0) {
        id.known = true;
        id.volume = static_cast<unsigned long long>(st.st_dev);
        id.index = static_cast<unsigned long long>(st.st_ino);
    }
    return id;
}

bool names_file(const native_string &name, const file_identity &identity) {
    struct stat st;
    return identity.known && stat(name.c_str(), &st) == 0 &&
           static_cast<unsigned long long>(st.st_dev) == identity.volume &&
           static_cast<unsigned long long>(st.st_ino) == identity.index;
}

file_identity identity_of_name(const native_string &name) {
    file_identity id;
    struct stat st;
    if (stat(name.c_str(), &st) == 0) {
        id.known = true;
        id.volume = static_cast<unsigned long long>(st.st_dev);
        id.index = static_cast<unsigned long long>(st.st_ino);
    }
    return id;
}

mapped_input::~mapped_input() {
    if (size_ > 0)
        munmap(const_cast<uint8_t *>(data_), size_);
}

bool mapped_input::open(const native_string &name, lean_string &why) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = "cannot open it for reading: " + last_error_text();
        return false;
    }
    struct stat st;
    bool ok = fstat(fd, &st) == 0;
    if (!ok) {
        why = "cannot read it: " + last_error_text();
    } else if (!S_ISREG(st.st_mode)) {
        why = S_ISDIR(st.st_mode) ? "it is a folder, not a file"
                                  : "it is not a regular file (a FIFO, socket or device)";
        ok = false;
    } else if (static_cast<unsigned long long>(st.st_size) > SIZE_MAX) {
        why = "it is too large to map on this machine";
        ok = false;
    } else if (st.st_size > 0) {
        const auto size = static_cast<size_t>(st.st_size);
        void *map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map == MAP_FAILED) {
            why = (errno == ENOMEM ? "not enough memory to map it: "
                                   : "cannot map it for reading: ") +
                  last_error_text();
            ok = false;
        } else {
            data_ = static_cast<const uint8_t *>(map);
            size_ = size;
        }
    }
    close(fd);
    return ok;
}

bool may_replace(const native_string &name) {
    struct stat st;
    if (lstat(name.c_str(), &st) != 0)
        return errno == ENOENT;
    if (S_ISLNK(st.st_mode) && stat(name.c_str(), &st) != 0)
        return errno == ENOENT; // a link to nothing yet
    if (S_ISDIR(st.st_mode))
        return false;
    // A file the user made read-only is left alone, even by a run that
    // could write it anyway (root's).
    if (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0)
        return false;
    return access(name.c_str(), W_OK) == 0 || errno == ENOENT;
}

std::FILE *create_beside(const native_string &final_name, bool text,
                         native_string &temp_name) {
    // "NAME.enc.mavo-XXXXXX": beside the output, and not ending like one.
    // Registered before the file exists, so that no signal can fall between
    // its creation and its registration; mkstemp() fills in the name in
    // place, without moving it.
    temp_name = temporary_name(final_name, lean_string(".mavo-XXXXXX"));
    if (!register_temporary(temp_name))
        return nullptr;
    const int fd = mkstemp(temp_name.data());
    if (fd < 0) {
        forget_temporary(temp_name);
        return nullptr;
    }
    // mkstemp() makes the file private; give it the mode any new file gets.
    fchmod(fd, new_file_mode());
    std::FILE *file = fdopen(fd, text ? "w" : "wb");
    if (!file) {
        close(fd);
        remove_file(temp_name);
        forget_temporary(temp_name);
    }
    return file;
}

bool move_over(const native_string &temp_name, const native_string &final_name) {
    return std::rename(temp_name.c_str(), final_name.c_str()) == 0;
}

void remove_file(const native_string &name) { unlink(name.c_str()); }

signal_hold::signal_hold() {
    const sigset_t set = ending_signals();
    sigprocmask(SIG_BLOCK, &set, &held_before);
}

signal_hold::~signal_hold() { sigprocmask(SIG_SETMASK, &held_before, nullptr); }

void prepare_process() {
    for (int fd = 0; fd <= 2; ++fd)
        keep_standard_descriptor_open(fd);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    // While one of these is handled the others wait, so that the temporary
    // files are removed once, completely.
    struct sigaction action {};
    action.sa_handler = remove_temporaries_and_end;
    action.sa_mask = ending_signals();
    for (int sig = 1; sig < NSIG; ++sig)
        if (sigismember(&action.sa_mask, sig) == 1)
            sigaction(sig, &action, nullptr);
}
