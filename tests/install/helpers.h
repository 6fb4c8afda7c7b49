// Helpers of the site-installation tests: temporary directories and files,
// the command table set up once, the log, and children that run with
// captured output, a time limit and, where the code under test writes fixed
// system places, overlays over /usr, /etc and /var.
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
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "driver/globals.h"
#include "driver/nls.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"

namespace insttest {

constexpr int TIMED_OUT = -1000; // status of a child killed at its time limit
constexpr int KILLED = -2000;    // status of a child ended by a signal

inline std::string MakeTempDir() {
    char tmpl[] = "/tmp/insttestXXXXXX";
    char *dir = mkdtemp(tmpl);
    return dir != nullptr ? std::string(dir) : std::string();
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

// Permission bits (with set-user-id) of path, or -1 when it is missing.
inline int ModeOf(const std::string &path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        return -1;
    }
    return static_cast<int>(st.st_mode & 07777);
}

inline bool IsDir(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

inline std::string LinkTarget(const std::string &path) {
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof(buf) - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

// Runs a shell command line with /bin/sh; its exit status.
inline int Sh(const std::string &command) {
    fflush(nullptr);
    int status = system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The command table located once per test program, logging on, English.
inline void InitInstallerOnce() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    unsetenv("LANG");
    flUseLog = 1;
    InitSysCmdList();
    nlsSetupStrCvt(0);
}

inline std::string LogPath() {
    return std::string("/tmp/") + my_name + ".log";
}
inline void ClearLog() {
    WriteFile(LogPath(), "", 0666);
}
inline std::string ReadLog() {
    return ReadFile(LogPath());
}

// Number of occurrences of what in text.
inline int Count(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

// In a child: a mount namespace of its own with overlays over /usr, /etc and
// /var whose changes land in scratch/upper/<tree>. The real trees stay as
// they are; their commands remain usable.
inline bool EnterSandbox(const std::string &scratch) {
    if (unshare(CLONE_NEWNS) != 0) {
        return false;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return false;
    }
    mkdir((scratch + "/upper").c_str(), 0755);
    mkdir((scratch + "/work").c_str(), 0755);
    for (const char *tree : {"usr", "etc", "var"}) {
        std::string upper = scratch + "/upper/" + tree;
        std::string work = scratch + "/work/" + tree;
        mkdir(upper.c_str(), 0755);
        mkdir(work.c_str(), 0755);
        std::string opts =
            std::string("lowerdir=/") + tree + ",upperdir=" + upper + ",workdir=" + work;
        if (mount("overlay", (std::string("/") + tree).c_str(), "overlay", 0, opts.c_str()) != 0) {
            return false;
        }
    }
    return true;
}

struct ChildRun {
    int status = TIMED_OUT;
    std::string out;
    std::string err;
};

// Runs body in a forked child with input on standard input and standard
// output and error captured; with a non-empty sandbox directory the child
// first enters EnterSandbox(sandbox). The child ends with body's value unless
// body ends the process itself; after timeoutSec it is killed.
inline ChildRun RunInChild(const std::function<int()> &body, const std::string &input = "",
                           const std::string &sandbox = "", int timeoutSec = 60) {
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
            _exit(125);
        }
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        clearerr(stdin);
        if (!sandbox.empty() && !EnterSandbox(sandbox)) {
            fprintf(stderr, "sandbox: %s\n", strerror(errno));
            _exit(126);
        }
        exit(body());
    }
    struct timespec pause = {0, 20 * 1000 * 1000};
    int status = 0;
    int waited = 0;
    while (waitpid(pid, &status, WNOHANG) != pid && waited++ < timeoutSec * 50) {
        nanosleep(&pause, nullptr);
    }
    if (waited > timeoutSec * 50) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    } else {
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : KILLED;
    }
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    return run;
}

// Saves a command table row's directory and puts it back at scope end, for
// tests that point a row at a stand-in or hide it.
class RowPath {
  public:
    explicit RowPath(int id) : id_(id), saved_(ComList[id].pPath) {}
    ~RowPath() { ComList[id_].pPath = saved_; }
    RowPath(const RowPath &) = delete;
    RowPath &operator=(const RowPath &) = delete;

  private:
    int id_;
    const char *saved_;
};

} // namespace insttest
