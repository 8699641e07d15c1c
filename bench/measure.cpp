// measure.cpp - runs one command and prints its wall time in seconds and
// its peak resident memory in KiB: measure [-o FILE] COMMAND ARGS...
// With -o, the command's standard output goes to FILE.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv) {
    int first = 1;
    const char *out_name = nullptr;
    if (argc > 3 && std::strcmp(argv[1], "-o") == 0) {
        out_name = argv[2];
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: measure [-o FILE] COMMAND ARGS...\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int out = out_name ? open(out_name, O_WRONLY | O_CREAT | O_TRUNC, 0644)
                                 : open("/dev/null", O_WRONLY);
        if (out < 0 || dup2(out, STDOUT_FILENO) < 0)
            _exit(127);
        execvp(argv[first], argv + first);
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) < 0)
        return 2;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("%.6f %ld\n", seconds, usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}
