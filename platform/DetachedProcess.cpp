#include "platform/DetachedProcess.h"

#include "platform/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillstone {

namespace {

void closeQuietly(int descriptor) {
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}

// Runs in the forked children: async-signal-safe calls only.
[[noreturn]] void execGrandchild(const char* path, char* const* argv, int reportDescriptor) {
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild < 0) {
        int error = errno;
        (void)!::write(reportDescriptor, &error, sizeof error);
        ::_exit(1);
    }
    if (grandchild > 0) {
        ::_exit(0);
    }
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        if (null > STDERR_FILENO) {
            ::close(null);
        }
    }
    (void)!::chdir("/");
    // The program starts as from a fresh login: nothing blocked or ignored
    // (a caller under nohup would otherwise pass SIGHUP's disposition on).
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP) {
            ::signal(signal, SIG_DFL);
        }
    }
    ::execv(path, argv);
    int error = errno;
    (void)!::write(reportDescriptor, &error, sizeof error);
    ::_exit(127);
}

} // namespace

void launchDetached(const std::filesystem::path& executable, const std::vector<std::string>& arguments) {
    std::string path = executable.string();
    std::vector<std::string> words;
    words.push_back(path);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    // The write end closes on a successful exec, so an empty read means it started.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        throw ProcessLaunchError(errno, executable);
    }
    pid_t child = ::fork();
    if (child < 0) {
        int error = errno;
        closeQuietly(report[0]);
        closeQuietly(report[1]);
        throw ProcessLaunchError(error, executable);
    }
    if (child == 0) {
        ::close(report[0]);
        execGrandchild(path.c_str(), argv.data(), report[1]);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t length = 0;
    do {
        length = ::read(report[0], &error, sizeof error);
    } while (length < 0 && errno == EINTR);
    ::close(report[0]);
    if (length == static_cast<ssize_t>(sizeof error)) {
        throw ProcessLaunchError(error, executable);
    }
}

} // namespace quillstone
