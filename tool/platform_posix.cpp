// platform_posix.cpp - platform.h for POSIX systems.
#include "platform.h"
#include "temporary_files.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void remove_temporaries_and_end(int sig) {
    remove_temporaries([](const char *name) { unlink(name); });
    std::signal(sig, SIG_DFL);
    std::raise(sig);
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

std::vector<native_string> command_line_arguments(int argc, char **argv) {
    return std::vector<native_string>(argv, argv + argc);
}

native_string with_suffix(const native_string &name, const char *suffix) {
    return name + suffix;
}

std::string display_name(const native_string &name) { return name; }

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

bool may_replace(const native_string &name) {
    struct stat st;
    if (lstat(name.c_str(), &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode))
        return false;
    if (S_ISLNK(st.st_mode) && stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return false;
    return access(name.c_str(), W_OK) == 0 || errno == ENOENT;
}

std::FILE *create_beside(const native_string &final_name, bool text,
                         native_string &temp_name) {
    // "NAME.enc.mavo-XXXXXX": beside the output, and not ending like one.
    // Registered before the file exists, so that no signal can fall between
    // its creation and its registration; mkstemp() fills in the name in
    // place, without moving it.
    temp_name = temporary_name(final_name, std::string(".mavo-XXXXXX"));
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

void prepare_process() {
    for (int fd = 0; fd <= 2; ++fd)
        keep_standard_descriptor_open(fd);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    // While one of these is handled the others wait, so that the temporary
    // files are removed once, completely.
    struct sigaction action {};
    action.sa_handler = remove_temporaries_and_end;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, sig);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &action, nullptr);
}
