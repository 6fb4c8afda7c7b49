// Helpers shared by the unit tests: temporary files, stand-in commands, the
// installer's directories, an empty allocator chain per test, and children
// run with captured output and a time limit.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "driver/globals.h"
#include "install/nls.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"

namespace tu {

inline std::string MakeTempDir() {
    char tmpl[] = "/tmp/utXXXXXX";
    return mkdtemp(tmpl) != nullptr ? tmpl : "";
}
inline std::string ReadFile(const std::string &path) {
    std::stringstream ss;
    ss << std::ifstream(path, std::ios::binary).rdbuf();
    return ss.str();
}
inline void WriteFile(const std::string &path, const std::string &text, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    chmod(path.c_str(), mode);
}
// Permission bits (with set-user-id) of path, or -1 when it is missing.
inline int ModeOf(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) != 0 ? -1 : static_cast<int>(st.st_mode & 07777);
}
inline bool Exists(const std::string &path) { return ModeOf(path) >= 0; }
inline std::string LinkTarget(const std::string &path) { // "" for no link
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof(buf));
    return n < 0 ? "" : std::string(buf, static_cast<size_t>(n));
}
// Exit status of command run by /bin/sh.
inline int Sh(const std::string &command) {
    fflush(nullptr);
    int status = system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
// The text of an allocator string, which is released; "(null)" for null.
inline std::string Take(char *text) {
    std::string s = text != nullptr ? text : "(null)";
    PutMem(text);
    return s;
}
// An English message formatted as the installer prints it.
template <class... Args> std::string Msg(int id, Args... args) {
    char buf[2048];
    snprintf(buf, sizeof buf, NLS_ENGLISH[id], args...);
    return buf;
}
// Writes a shell script running body as dir/NAME of row id and points the
// row at dir, which must outlive its use.
inline void FakeCmd(int id, const std::string &dir, const std::string &body) {
    WriteFile(dir + "/" + ComList[id].pName, "#!/bin/sh\n" + body + "\n", 0755);
    ComList[id].pPath = dir.c_str();
}
inline std::string ReadLog() { return ReadFile("/tmp/setup.log"); }

// The command table located once per program before the first test (it
// keeps what it located for the program's life), logging on, English.
struct Installer : testing::Environment {
    void SetUp() override {
        unsetenv("LANG");
        flUseLog = 1;
        InitSysCmdList();
        nlsSetupStrCvt(0);
    }
};

// Fixture pointing the run's directory globals at SITE, WORK, BASE and APP
// (released again after the test), with an empty log.
class Dirs : public testing::Test {
  protected:
    void UseDirs(const std::string &site, const std::string &work, const std::string &base,
                 const std::string &app) {
        pPathToSetup = SaveStr("%s", site.c_str());
        pVarenInstallDir = SaveStr("%s", work.c_str());
        pTargetInstallDir = SaveStr("%s", base.c_str());
        pAppDir = SaveStr("%s", app.c_str());
        pCurrentInstallDir = nullptr;
        WriteFile("/tmp/setup.log", "", 0666);
    }
    void TearDown() override {
        for (char **p : {&pPathToSetup, &pVarenInstallDir, &pTargetInstallDir, &pAppDir}) {
            PutMem(*p);
            *p = nullptr;
        }
    }
};

// Each test starts from an empty allocator chain; blocks that other tests of
// the program keep alive are set aside and put back afterwards.
class EmptyChain : public testing::Test {
  protected:
    void SetUp() override { std::swap(saved_, pMemB); }
    void TearDown() override {
        while (pMemB != nullptr)
            FreeBlock(pMemB);
        pMemB = saved_;
    }
    MemBlock *saved_ = nullptr;
};

struct ChildRun {
    int status = -1;      // exit status; -1 when killed at its time limit or by a signal
    std::string out, err; // what it wrote on standard output and error
};

// Runs body in a forked child with input on standard input and standard
// output and error captured; the child ends with body's value unless body
// ends the process itself, and is killed after timeoutSec seconds.
inline ChildRun RunInChild(const std::function<int()> &body, const std::string &input = "",
                           int timeoutSec = 60) {
    ChildRun run;
    std::string dir = MakeTempDir();
    WriteFile(dir + "/in", input);
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int in = open((dir + "/in").c_str(), O_RDONLY);
        int out = open((dir + "/out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open((dir + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
            _exit(125);
        clearerr(stdin);
        exit(body());
    }
    int status = 0;
    for (int waited = 0; pid > 0 && waitpid(pid, &status, WNOHANG) != pid; waited++) {
        if (waited >= timeoutSec * 50) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        usleep(20 * 1000);
    }
    run.status = pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(dir + "/out");
    run.err = ReadFile(dir + "/err");
    return run;
}

} // namespace tu
