// Helpers of the driver tests: running code that exits, reads standard input
// or changes mounts in a forked child with captured output and a time limit,
// and small file utilities.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace drvtest {

// Exit status of a child that ran out of time (or died by a signal).
constexpr int TIMED_OUT = -1000;
constexpr int KILLED = -2000;

struct ChildRun {
    int status = TIMED_OUT; // exit status of the child
    std::string out;        // what it wrote on standard output
    std::string err;        // what it wrote on standard error
};

inline std::string MakeTempDir() {
    char tmpl[] = "/tmp/drvtestXXXXXX";
    char *dir = mkdtemp(tmpl);
    return dir ? std::string(dir) : std::string();
}

inline std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteFile(const std::string &path, const std::string &text, mode_t mode = 0644) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    chmod(path.c_str(), mode);
}

inline bool Exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Runs body in a forked child whose standard input holds input (or is at its
// end at once when input is empty), and whose standard output and error are
// captured. The child ends with the value body returns, unless body ends the
// process itself. A child still running after timeoutSec seconds is killed.
inline ChildRun RunInChild(const std::function<int()> &body, const std::string &input = "",
                           int timeoutSec = 20) {
    ChildRun run;
    std::string dir = MakeTempDir();
    std::string inPath = dir + "/in", outPath = dir + "/out", errPath = dir + "/err";
    WriteFile(inPath, input);
    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        return run;
    }
    if (pid == 0) {
        int in = open(inPath.c_str(), O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) {
            _exit(127);
        }
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        clearerr(stdin);
        int code = body();
        exit(code);
    }
    struct timespec pause = {0, 20 * 1000 * 1000};
    int waited = 0;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            break;
        }
        if (waited >= timeoutSec * 50) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            run.out = ReadFile(outPath);
            run.err = ReadFile(errPath);
            run.status = TIMED_OUT;
            return run;
        }
        nanosleep(&pause, nullptr);
        waited++;
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : KILLED;
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    return run;
}

// In a child: gives the process its own mount namespace and lays an overlay
// over /usr whose changes land in scratch (a directory under the private
// /tmp). The real /usr stays unchanged; its commands remain usable.
inline bool OverlayUsr(const std::string &scratch) {
    if (unshare(CLONE_NEWNS) != 0) {
        return false;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return false;
    }
    std::string upper = scratch + "/upper", work = scratch + "/work";
    mkdir(upper.c_str(), 0755);
    mkdir(work.c_str(), 0755);
    std::string opts = "lowerdir=/usr,upperdir=" + upper + ",workdir=" + work;
    return mount("overlay", "/usr", "overlay", 0, opts.c_str()) == 0;
}

// In a child: an empty tmpfs over /usr in a namespace of its own (no commands
// of /usr are usable afterwards).
inline bool EmptyUsr() {
    if (unshare(CLONE_NEWNS) != 0) {
        return false;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return false;
    }
    return mount("emptyusr", "/usr", "tmpfs", 0, "mode=755") == 0;
}

} // namespace drvtest
