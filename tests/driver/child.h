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

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace drvtest {

constexpr int TIMED_OUT = -1000; // status of a child killed for running too long

struct ChildRun {
    int status = TIMED_OUT; // exit status of the child
    std::string out, err;   // what it wrote on standard output and error
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
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    chmod(path.c_str(), mode);
}

inline bool Exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Runs body in a forked child whose standard input holds input (at its end at
// once when empty) and whose standard output and error are captured. The
// child ends with body's value unless body ends the process itself; after
// timeoutSec seconds it is killed.
inline ChildRun RunInChild(const std::function<int()> &body, const std::string &input = "",
                           int timeoutSec = 20) {
    ChildRun run;
    std::string dir = MakeTempDir();
    WriteFile(dir + "/in", input);
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int in = open((dir + "/in").c_str(), O_RDONLY);
        int out = open((dir + "/out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open((dir + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
            dup2(err, 2) < 0) {
            _exit(127);
        }
        exit(body());
    }
    int status = 0;
    struct timespec pause = {0, 20 * 1000 * 1000};
    for (int waited = 0; pid > 0 && waitpid(pid, &status, WNOHANG) != pid; waited++) {
        if (waited >= timeoutSec * 50) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            pid = -1;
            break;
        }
        nanosleep(&pause, nullptr);
    }
    if (pid > 0 && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
    }
    run.out = ReadFile(dir + "/out");
    run.err = ReadFile(dir + "/err");
    return run;
}

// In a child: a mount namespace of its own in which /usr is either an empty
// tmpfs or, with scratch given, an overlay over the real /usr whose changes
// land in scratch (its commands stay usable). The real /usr never changes.
inline bool PrivateUsr(const std::string &scratch = "") {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr)) {
        return false;
    }
    if (scratch.empty()) {
        return mount("emptyusr", "/usr", "tmpfs", 0, "mode=755") == 0;
    }
    std::string upper = scratch + "/upper", work = scratch + "/work";
    mkdir(upper.c_str(), 0755);
    mkdir(work.c_str(), 0755);
    std::string opts = "lowerdir=/usr,upperdir=" + upper + ",workdir=" + work;
    return mount("overlay", "/usr", "overlay", 0, opts.c_str()) == 0;
}

} // namespace drvtest
