// Helpers shared by the unit tests: temporary files, stand-in commands, the installer's
// directories, an empty allocator chain per test, and children run with captured output.
#pragma once
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>
#include "driver/cleanup.h"
#include "driver/place.h"
#include "install/nls.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"
namespace tu {
// Limits the process's address space to what it maps now plus more bytes; false when it cannot.
inline bool LimitAddressSpace(rlim_t more) {
    rlim_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlimit lim = {pages * getpagesize() + more, pages * getpagesize() + more};
    return setrlimit(RLIMIT_AS, &lim) == 0;
}
inline std::string MakeTempDir() {
    char tmpl[] = "/tmp/utXXXXXX";
    return mkdtemp(tmpl) != nullptr ? tmpl : "";
}
inline std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
inline void WriteFile(const std::string &path, const std::string &text, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    chmod(path.c_str(), mode);
}
inline int ModeOf(const std::string &path) { // permission bits, -1 when missing
    struct stat st;
    return lstat(path.c_str(), &st) != 0 ? -1 : static_cast<int>(st.st_mode & 07777);
}
inline bool Exists(const std::string &path) { return ModeOf(path) >= 0; }
// Takes the capabilities of the mask (1 << CAP_...) out of the process's effective set; false when
// it cannot.
inline bool DropCapabilities(unsigned mask) {
    __user_cap_header_struct head{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2] = {};
    if (syscall(SYS_capget, &head, caps) != 0)
        return false;
    caps[0].effective &= ~mask;
    return syscall(SYS_capset, &head, caps) == 0;
}
inline int Count(const std::string &text, const std::string &part) { // occurrences of part in text
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        n++;
    return n;
}
inline std::string LinkTarget(const std::string &path) { // "" for no link
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof(buf));
    return n < 0 ? "" : std::string(buf, static_cast<size_t>(n));
}
inline int Sh(const std::string &command) { // exit status of command run by /bin/sh
    int status = (fflush(nullptr), system(command.c_str()));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
inline std::string Take(char *text) { // an allocator string, released; "(null)" for null
    std::string s = text != nullptr ? text : "(null)";
    return PutMem(text), s;
}
template <class... Args> std::string Msg(int id, Args... args) { // English, as printed
    char buf[2048];
    snprintf(buf, sizeof buf, NLS_ENGLISH[id], args...);
    return buf;
}
// Writes a shell script running body as dir/NAME of row id and points the row at dir, which must
// outlive its use.
inline void FakeCmd(int id, const std::string &dir, const std::string &body) {
    WriteFile(dir + "/" + ComList[id].pName, "#!/bin/sh\n" + body + "\n", 0755);
    ComList[id].pPath = dir.c_str();
}
// Each test starts from an empty allocator chain; blocks that other tests of the program keep alive
// are set aside and put back afterwards.
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
// Allocator nodes in use (a dedicated block counts all its nodes) and open descriptors.
inline std::pair<long, int> InUse() {
    std::pair<long, int> n{0, -1}; // -1: the listing's own descriptor
    for (MemBlock *b = pMemB; b != nullptr; b = b->pNext)
        n.first += b->Size > MEM_BLOCK_SIZE ? b->Size / MEM_NODE_SIZE : MEM_NODES - b->FreeNodeCount;
    if (DIR *d = opendir("/proc/self/fd")) {
        for (dirent *e; (e = readdir(d)) != nullptr;)
            n.second += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}
struct ChildRun {
    int status = -1;      // exit status; -1 when killed (by a signal or its time limit)
    std::string out, err; // what it wrote on standard output and error
};
// Runs body in a forked child, input from /dev/null and output captured; the child ends with body's
// value unless body ends the process itself, and is killed after a minute.
inline ChildRun RunInChild(const std::function<int()> &body) {
    std::string dir = MakeTempDir(), out = dir + "/out", err = dir + "/err";
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int fd[3] = {open("/dev/null", O_RDONLY), open(out.c_str(), O_WRONLY | O_CREAT, 0644),
                     open(err.c_str(), O_WRONLY | O_CREAT, 0644)};
        for (int i = 0; i < 3; i++)
            if (fd[i] < 0 || dup2(fd[i], i) < 0)
                _exit(125);
        alarm(60);
        exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return {pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
}
} // namespace tu
