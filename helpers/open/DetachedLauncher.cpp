#include "helpers/open/DetachedLauncher.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <system_error>
#include <sys/wait.h>
#include <unistd.h>

namespace quillstone {

void DetachedLauncher::launch(const std::filesystem::path& executable, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{executable.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& argument : argv) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);

    // The grandchild reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
    pid_t child = ::fork();
    if (child < 0) {
        int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        throw std::system_error(error, std::generic_category(), "fork");
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild != 0) {
            ::_exit(grandchild < 0 ? 1 : 0);
        }
        int null = ::open("/dev/null", O_RDWR);
        for (int target = 0; target <= 2; ++target) {
            ::dup2(null, target);
        }
        if (null > 2) {
            ::close(null);
        }
        (void)!::chdir("/");
        // The application starts as from a fresh login: nothing blocked or ignored.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int signal = 1; signal < NSIG; ++signal) {
            if (signal != SIGKILL && signal != SIGSTOP) {
                ::signal(signal, SIG_DFL);
            }
        }
        ::execv(pointers[0], pointers.data());
        int error = errno;
        (void)!::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int waitStatus = 0;
    while (::waitpid(child, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        throw std::system_error(error, std::generic_category(), executable.string());
    }
    if (!WIFEXITED(waitStatus) || WEXITSTATUS(waitStatus) != 0) {
        throw std::system_error(ECHILD, std::generic_category(), "fork");
    }
}

} // namespace quillstone
