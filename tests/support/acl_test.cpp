// The kernel's binary ACLs as the chain check reads them, and CheckDirChain and CloseAcl on real ACLs.
#include <gtest/gtest.h>
#include <initializer_list>
#include <unistd.h>
#include "support/files.h"
#include "support/globals.h"
#include "testutil.h"
using namespace tu;
namespace {
// An ACL as system.posix_acl_access holds it: the version, then tag, perm and id of each entry, little-endian.
std::string Acl(std::initializer_list<AclEntry> entries, unsigned version = 2) {
    auto put = [](std::string &s, unsigned v, int bytes) { for (int i = 0; i < bytes; i++) s += char(v >> (8 * i)); };
    std::string s;
    put(s, version, 4);
    for (const AclEntry &e : entries) put(s, e.tag, 2), put(s, e.perm, 2), put(s, e.id, 4);
    return s;
}
char alice[] = "alice";
const AclEntry Owner{ACL_TAG_USER_OBJ, 7, 0}, Group{ACL_TAG_GROUP_OBJ, 5, 0}, Other{ACL_TAG_OTHER, 5, 0};
const AclEntry MaskRwx{ACL_TAG_MASK, 7, 0}, MaskRx{ACL_TAG_MASK, 5, 0};
} // namespace
// A named entry opens the directory only with write that the mask lets through, to someone besides root and this
// user; group root only while it has other members. Anything that is no version 2 ACL is no answer.
TEST(Acl, WriteThatReachesSomeoneElse) {
    const AclEntry user1{ACL_TAG_USER, 7, 1}, root{ACL_TAG_USER, 7, 0}, me{ACL_TAG_USER, 7, geteuid()};
    const AclEntry reader{ACL_TAG_USER, 5, 65534}, staff{ACL_TAG_GROUP, 2, 50}, root_group{ACL_TAG_GROUP, 7, 0};
    const struct { std::string acl; char *others; int want; unsigned id; } rows[] = {
        {Acl({Owner, Group, Other}), nullptr, 0, 0},
        {Acl({Owner, user1, Group, MaskRwx, Other}), nullptr, 1, 1}, // uid 1: the first after root's
        {Acl({Owner, user1, Group, MaskRx, Other}), nullptr, 0, 0},
        {Acl({Owner, root, me, Group, MaskRwx, Other}), alice, 0, 0},
        {Acl({Owner, reader, Group, MaskRwx, Other}), alice, 0, 0},
        {Acl({Owner, Group, staff, MaskRwx, Other}), nullptr, 1, 50},
        {Acl({Owner, Group, root_group, MaskRwx, Other}), nullptr, 0, 0},
        {Acl({Owner, Group, root_group, MaskRwx, Other}), alice, 1, 0},
        {Acl({Owner, Group, Other}, 1), nullptr, -1, 0}, {Acl({Owner}).substr(0, 7), nullptr, -1, 0},
        {"", nullptr, -1, 0}};
    for (const auto &r : rows) {
        pGroupRootOthers = r.others;
        AclEntry found{0, 0, 99};
        const auto *data = reinterpret_cast<const unsigned char *>(r.acl.data());
        EXPECT_EQ(r.want, AclLetsOthersWrite(data, r.acl.size(), &found)) << &r - rows;
        EXPECT_EQ(r.want == 1 ? r.id : 99, found.id) << &r - rows;
    }
    pGroupRootOthers = nullptr;
}
// On a file system that keeps ACLs: an access entry with write fails the chain, a read-only or a
// default one does not; group root's write fails only while it has other members. CloseAcl takes
// off every entry that writes.
TEST(Acl, ChainsAndClosing) {
    std::string dir = MakeTempDir();
    if (Sh("cd " + dir + " && mkdir open read dflt g0 && setfacl -m u:65534:rwx open && setfacl -m u:65534:r-x read &&"
           " setfacl -d -m u:65534:rwx,u:1:r-x,g:50:rw dflt && chmod 775 g0 && chgrp 0 g0 2>/dev/null") != 0)
        GTEST_SKIP() << "no ACLs here";
    DirChain chain;
    EXPECT_FALSE(CheckDirChain((dir + "/open/x").c_str(), &chain));
    EXPECT_TRUE(chain.fault == CHAIN_UNSAFE && chain.why == WHY_ACL && chain.acl.id == 65534);
    EXPECT_EQ(dir + "/open", chain.where);
    EXPECT_TRUE(CheckDirChain((dir + "/read").c_str(), &chain) && CheckDirChain((dir + "/dflt").c_str(), &chain));
    EXPECT_TRUE(CheckDirChain((dir + "/g0").c_str(), &chain));
    EXPECT_TRUE(HasAcl((dir + "/dflt").c_str()) && !HasAcl((dir + "/g0").c_str()));
    pGroupRootOthers = alice;
    EXPECT_TRUE(!CheckDirChain((dir + "/g0").c_str(), &chain) && chain.why == WHY_GROUP_ROOT);
    pGroupRootOthers = nullptr;
    // What is made in a closed directory inherits nothing: its default ACL went whole.
    for (const char *name : {"/dflt", "/open", "/g0"})
        EXPECT_TRUE(CloseAcl((dir + name).c_str())) << name;
    EXPECT_EQ(0, Sh("cd " + dir + " && mkdir dflt/new && chmod 775 dflt/new && getfacl -n -p -c dflt/new open >acl"));
    std::string acl = ReadFile(dir + "/acl");
    EXPECT_TRUE(acl.find("user:1:") == std::string::npos && acl.find("default:") == std::string::npos) << acl;
    EXPECT_TRUE(acl.find(":65534:") == std::string::npos && acl.find(":50:") == std::string::npos) << acl;
    Sh("rm -rf " + dir);
}
// A file system without ACLs (proc): a file there is closed as it is, whatever bytes the stack held
// before (here a named user's write entry at either byte parity).
TEST(Acl, ClosingWithoutAclSupport) {
    for (int phase = 0; phase < 2; phase++) {
        [phase] {
            volatile unsigned char junk[16384];
            for (size_t i = 0; i < sizeof junk; i++)
                junk[i] = (i + static_cast<size_t>(phase)) % 2 == 0 ? ACL_TAG_USER : 0;
        }();
        EXPECT_TRUE(CloseAcl("/proc/self/comm")) << phase;
    }
}
