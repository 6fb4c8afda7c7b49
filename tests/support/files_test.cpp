// Tests of the file and path operations: the splitters, existence by listing,
// kinds of paths, line reading with continuation and 510-character pieces,
// whole-file reads, text files, the commands CreateFile and DeleteFile run,
// and the nearest existing path.
#include "support/files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "support/mem.h"
#include "syscmd/cmdtable.h"

namespace {

std::string Read(const std::string &path) {
    std::stringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

class Files : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/fileXXXXXX";
        dir = mkdtemp(tmpl);
    }
    std::string dir;
};

TEST(Strip, Splitters) {
    struct {
        const char *path, *last, *parent;
    } cases[] = {{"a/b/c", "c", "a/b"}, {"/x", "x", "/"}, {"x", "x", "."},   {"a/b/", "b", "a/b"},
                 {"/", "/", "/"},       {"", "", "."},    {"//", "//", "/"}, {nullptr, "", "."}};
    for (const auto &c : cases) {
        EXPECT_STREQ(c.last, StripPath(c.path)) << (c.path ? c.path : "null");
        EXPECT_STREQ(c.parent, StripFn(c.path)) << (c.path ? c.path : "null");
    }
    // Longer than the result buffers: cut, never written beyond.
    std::string longName = "/d/" + std::string(300, 'n');
    EXPECT_EQ(127u, strlen(StripPath(longName.c_str())));
    EXPECT_EQ(255u, strlen(StripFn((std::string(400, 'd') + "/x").c_str())));
}

TEST_F(Files, FindFileListsTheParent) {
    mkdir((dir + "/sub").c_str(), 0755);
    std::ofstream(dir + "/sub/File");
    symlink("/nonexistent", (dir + "/dangling").c_str());
    EXPECT_TRUE(FindFile(nullptr, (dir + "/sub").c_str()));
    EXPECT_TRUE(FindFile(dir.c_str(), "sub"));
    EXPECT_TRUE(FindFile(dir.c_str(), "sub/File"));
    EXPECT_TRUE(FindFile((dir + "/sub/File").c_str(), nullptr));
    EXPECT_TRUE(FindFile(dir.c_str(), "dangling"));
    EXPECT_FALSE(FindFile(dir.c_str(), "sub/file"));
    EXPECT_FALSE(FindFile(dir.c_str(), "missing/File"));
    EXPECT_FALSE(FindFile(dir.c_str(), "sub/"));
    EXPECT_FALSE(FindFile("/", nullptr));
    EXPECT_FALSE(FindFile(nullptr, ""));
    // A path over 255 characters is still looked up whole.
    std::string deep = dir;
    for (int i = 0; i < 3; i++) {
        deep += "/" + std::string(100, 'a' + i);
        mkdir(deep.c_str(), 0755);
    }
    EXPECT_TRUE(FindFile(deep.c_str(), nullptr));

    EXPECT_EQ(1, GetFileType(dir.c_str()));
    symlink(dir.c_str(), (dir + "/dirlink").c_str());
    EXPECT_EQ(2, GetFileType((dir + "/dirlink").c_str()));
    EXPECT_EQ(3, GetFileType((dir + "/sub/File").c_str()));
    EXPECT_EQ(0, GetFileType((dir + "/none").c_str()));
}

TEST_F(Files, InputLinesContinuationAndPieces) {
    std::string text = "one \\\ntwo\n" + std::string(1100, 'x') + "\nlast";
    std::ofstream(dir + "/in") << text;
    ASSERT_TRUE(OpenInputFile((dir + "/in").c_str(), 2));
    std::string lines;
    while (GetFileLine())
        lines += std::string(LineBuf) + "|";
    EXPECT_EQ("one \\\ntwo\n|" + std::string(510, 'x') + "|" + std::string(510, 'x') + "|" +
                  std::string(80, 'x') + "\n|last|",
              lines);
    EXPECT_FALSE(GetFileLine());

    // Continuations beyond LineBuf stop at its end and go on at the next call.
    std::string cont;
    for (int i = 0; i < 600; i++)
        cont += "abcdefgh\\\n";
    std::ofstream(dir + "/cont") << cont << "end\n";
    ASSERT_TRUE(OpenInputFile((dir + "/cont").c_str(), 1));
    ASSERT_TRUE(GetFileLine());
    EXPECT_EQ(4095u, strlen(LineBuf));
    CloseInputFile();
    EXPECT_FALSE(GetFileLine());

    testing::internal::CaptureStderr();
    EXPECT_FALSE(OpenInputFile((dir + "/none").c_str(), 1));
    EXPECT_EQ("WARNING: can't open file, " + dir + "/none\n",
              testing::internal::GetCapturedStderr());
    EXPECT_EXIT(OpenInputFile((dir + "/none").c_str(), 2), testing::ExitedWithCode(0),
                "ERROR: can't open file, ");
}

TEST_F(Files, WholeFilesAndTextFiles) {
    std::ofstream(dir + "/big") << std::string(10000, 'b');
    ASSERT_TRUE(GetFileContent(dir.c_str(), "big"));
    EXPECT_EQ(std::string(4095, 'b'), LineBuf);
    EXPECT_FALSE(GetFileContent(dir.c_str(), "none"));
    EXPECT_EQ(dir + "/none", LineBuf);

    mode_t old = umask(0);
    EXPECT_TRUE(CreateTextFile((dir + "/cfg").c_str(), "wt", 0644, " %s ", "LPRng"));
    umask(old);
    EXPECT_EQ(" LPRng ", Read(dir + "/cfg"));
    struct stat st;
    stat((dir + "/cfg").c_str(), &st);
    EXPECT_EQ(0644u, st.st_mode & 0777);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CreateTextFile((dir + "/no/cfg").c_str(), "wt", 0, "x"));
    EXPECT_EQ("ERROR: couldn't open " + dir + "/no/cfg\n", testing::internal::GetCapturedStderr());

    testing::internal::CaptureStderr();
    EXPECT_EQ(nullptr, OpenFile(nullptr, (dir + "/no/s").c_str(), "w+", 1));
    EXPECT_EQ("ERROR: can't open file, " + dir + "/no/s\n", testing::internal::GetCapturedStderr());
    EXPECT_EXIT(OpenFile(nullptr, (dir + "/no/s").c_str(), "w+", 2), testing::ExitedWithCode(1),
                "can't open file, .*/no/s : No such file or directory");
}

// CreateFile and DeleteFile, with every command they may run replaced by a
// fake that records its name and arguments.
TEST_F(Files, CreateAndDeleteRunExactlyTheirCommands) {
    std::string fakes = dir + "/bin", record = dir + "/record";
    mkdir(fakes.c_str(), 0755);
    for (int id : {CMD_MKDIR, CMD_TOUCH, CMD_CHMOD, CMD_CHOWN, CMD_CHGRP, CMD_RM_R}) {
        std::string path = fakes + "/" + ComList[id].pName;
        std::ofstream(path) << "#!/bin/sh\necho \"${0##*/} $*\" >> " << record << "\n";
        chmod(path.c_str(), 0755);
        ComList[id].pPath = fakes.c_str();
    }
    ComList[CMD_SH].pPath = "/bin";
    flInitSysCmd = false;

    CreateFile(fakes.c_str(), nullptr, "755", nullptr, nullptr);
    CreateFile((dir + "/app").c_str(), "f", "644", "lp", "sys");
    DeleteFile(nullptr, (dir + "/none").c_str());
    DeleteFile(dir.c_str(), "bin");
    EXPECT_EQ("chmod 755 " + fakes + "\nmkdir -p " + dir + "/app\ntouch " + dir +
                  "/app/f\nchmod 644 " + dir + "/app/f\nchown lp " + dir + "/app/f\nchgrp sys " +
                  dir + "/app/f\nrm -rf " + fakes + "\n",
              Read(record));
    for (int id : {CMD_MKDIR, CMD_TOUCH, CMD_CHMOD, CMD_CHOWN, CMD_CHGRP, CMD_RM_R, CMD_SH})
        ComList[id].pPath = nullptr;
}

TEST_F(Files, NearestExistingPath) {
    mkdir((dir + "/a").c_str(), 0755);
    int flag = 0;
    char *p = FindExistingPath((dir + "/a/b/c").c_str(), &flag);
    EXPECT_EQ(dir + "/a", p);
    EXPECT_EQ(0, flag);
    PutMem(p);
    p = FindExistingPath((dir + "/a").c_str(), &flag);
    EXPECT_EQ(dir + "/a", p);
    EXPECT_EQ(1, flag);
    PutMem(p);
    flag = 0;
    p = FindExistingPath("/", &flag);
    EXPECT_STREQ("/", p);
    EXPECT_EQ(1, flag);
    PutMem(p);
    flag = 0;
    p = FindExistingPath(("/" + std::string(5000, 'z') + "/y").c_str(), &flag);
    EXPECT_STREQ("/", p);
    EXPECT_EQ(0, flag);
    PutMem(p);
}

} // namespace
