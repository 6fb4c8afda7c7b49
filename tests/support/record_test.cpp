// The record's text (escaping, entry lines, whole records), SHA-256 against known digests, the registry
// of noted entries, and the inventory of a tree that holds links and a directory others may write.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <string>
#include <vector>
#include "support/inventory.h"
#include "support/noted.h"
#include "support/record_entry.h"
#include "support/sha256.h"
#include "testutil.h"
using namespace tu;
namespace {
std::string Unescape(const std::string &field) { return Take(UnescapeRecordField(field.data(), field.size())); }
const std::string D64(64, 'a');
} // namespace
// Every byte from 1 to 255 survives a round trip; only the blank of the low bytes stays as it is.
TEST(Record, EscapingRoundTripsEveryByte) {
    std::string all;
    for (int c = 1; c < 256; c++) all += char(c);
    std::string escaped = Take(EscapeRecordField(all.c_str()));
    EXPECT_EQ(escaped.find_first_of(std::string("\t\n\r\x7f", 4)), std::string::npos);
    EXPECT_EQ(Unescape(escaped), all);
    const struct { const char *text, *want; } rows[] = {{"-", "\\055"}, {"--", "--"}, {"a b", "a b"},
        {"a\\b", "a\\\\b"}, {"\t\n", "\\011\\012"}, {"\x7f\xe9", "\\177\xe9"}, {"", ""},
        {"\xc2\x9b" "1A\x9b", "\\302\\2331A\\233"}, {"\xc3\xa9\xe2\x82\xac\xc2\xa0", "\xc3\xa9\xe2\x82\xac\xc2\xa0"},
        {"\xc2" "A\xe2\x82" "B", "\xc2" "A\xe2\\202B"}};
    for (const auto &r : rows) EXPECT_EQ(Take(EscapeRecordField(r.text)), r.want) << r.text;
    for (const char *bad : {"\\000", "\\400", "\\x", "a\\", "\\12", "\\8", "a\tb", "\\\\\\", "a\rb"})
        EXPECT_EQ(Unescape(bad), "(null)") << bad;
    EXPECT_EQ(Unescape("\\055\\\\\\101"), "-\\A");
}
// Lines as the writer makes them parse back to the same line; a line with any field out of place does not.
TEST(Record, EntryLinesParseOnlyWhenWhole) {
    const std::string good[] = {"E\tmade\tcontent\tf\t4755\t0\t7\t12\t1700000000\t" + D64 + "\t-\t/usr/a b",
        "E\tchanged\tcontent\td\t0755\t0\t0\t-\t-\t-\t-\t/usr/Varen", "E\tkept\tconfig\tf\t0644\t1\t1\t0\t0\t" + D64 +
        "\t-\t/x", "E\tmade\truntime\tf\t0644\t0\t0\t-\t-\t-\t-\t/q\\011db", "E\tmade\tcontent\tl\t0777\t0\t0\t-\t-"
        "\t-\t\\055\t/l", "E\tmade\truntime\tl\t0777\t4294967295\t0\t-\t-\t-\t../x\\\\y\t/l",
        "E\tmade\tcontent\tf\t0644\t0\t0\t0\t-315619200\t" + D64 + "\t-\t/old"};
    for (const std::string &line : good) {
        RecordEntry e;
        ASSERT_TRUE(ParseRecordEntry(line.c_str(), &e)) << line;
        EXPECT_EQ(Take(FormatRecordEntry(e)), line);
        FreeRecordEntry(&e);
    }
    // One field of a good line replaced at a time, or a line of other fields: none parses.
    const std::vector<std::string> f = {"E", "made", "content", "f", "0644", "0", "0", "1", "1", D64, "-", "/a"};
    const struct { size_t field; std::string value; } swaps[] = {{0, "F"}, {1, "mine"}, {2, "data"}, {3, "p"},
        {4, "755"}, {4, "10000"}, {4, "0789"}, {3, "fd"}, {6, "1a"},
        {5, "-1"}, {5, "01"}, {6, "4294967296"}, {7, "-"}, {7, "-1"}, {8, ""},
        {9, std::string(64, 'A')},
        {9, D64.substr(1)}, {10, "/t"}, {11, "a"}, {11, "/a\\000"}, {11, "/a\t/b"}, {11, "/a/../b"},
        {11, "/a//b"}, {11, "/a/"}, {11, "/."}, {2, "runtime"}, {3, "d"}, {3, "l"}};
    for (const auto &swap : swaps) {
        std::string line;
        for (size_t i = 0; i < f.size(); i++) line += (i ? "\t" : "") + (i == swap.field ? swap.value : f[i]);
        RecordEntry e;
        EXPECT_FALSE(ParseRecordEntry(line.c_str(), &e)) << line;
    }
    RecordEntry e;
    EXPECT_FALSE(ParseRecordEntry("E\tmade\tcontent\tl\t0777\t0\t0\t-\t-\t-\t\t/a", &e)) << "empty target";
}
// A whole record: headers and entries in any order, entries sorted by path; a repeated header or path, a
// blank or unknown line is the number of the line that cannot be trusted.
TEST(Record, WholeRecords) {
    const std::string d = "E\tmade\tcontent\td\t0755\t0\t0\t-\t-\t-\t-\t";
    Record rec;
    int bad = -1;
    ASSERT_TRUE(ParseRecord(("sums -\n" + d + "/b\n" + d + "/a\nrelease 3.01\napp /a\\040b\n").c_str(), &rec, &bad));
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(std::string(rec.entries[0].path) + rec.entries[1].path + rec.app + rec.release, "/a/b/a b3.01");
    EXPECT_EQ(Take(FormatRecord(rec)), "release 3.01\nsums -\napp /a b\n" + d + "/a\n" + d + "/b\n");
    EXPECT_TRUE(FindRecordEntry(rec, "/a") == rec.entries && FindRecordEntry(rec, "/b") == rec.entries + 1);
    EXPECT_TRUE(FindRecordEntry(rec, "/") == nullptr && FindRecordEntry(rec, "/c") == nullptr);
    FreeRecord(&rec);
    const struct { std::string text; int line; } rows[] = {{d + "/a\n" + d + "/a\n", 2}, {"sums -\nsums -\n", 2},
        {"sums -\n\n", 2}, {"owner root\n", 1}, {"state\n", 1}, {d + "/a\nE\tmade\n", 2}};
    for (const auto &r : rows) {
        EXPECT_FALSE(ParseRecord(r.text.c_str(), &rec, &bad)) << r.text;
        EXPECT_EQ(bad, r.line) << r.text;
    }
}
// Known digests, the lengths around the padding's boundary among them, fed whole and in pieces.
TEST(Record, Sha256KnownDigests) {
    const struct { std::string data; const char *want; } rows[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}};
    for (const auto &r : rows) {
        char hex[SHA256_HEX_LEN + 1];
        Sha256Bytes(r.data.data(), r.data.size(), hex);
        EXPECT_STREQ(hex, r.want) << r.data.size();
        Sha256 ctx;
        Sha256Begin(&ctx);
        for (size_t at = 0; at < r.data.size(); at += 7) Sha256Feed(&ctx, r.data.data() + at, std::min<size_t>(7,
            r.data.size() - at));
        Sha256End(&ctx, hex);
        EXPECT_STREQ(hex, r.want) << r.data.size() << " in pieces";
    }
    std::string dir = MakeTempDir();
    WriteFile(dir + "/f", "abc");
    int fd = open((dir + "/f").c_str(), O_RDONLY);
    char hex[SHA256_HEX_LEN + 1];
    EXPECT_TRUE(Sha256Descriptor(fd, 3, hex) && std::string(hex) == rows[1].want);
    // An EINTR an earlier call left in errno is no interrupted read (in a child, which must end).
    ChildRun stale = RunInChild([&] {
        alarm(5), lseek(fd, 0, SEEK_SET), errno = EINTR;
        return Sha256Descriptor(fd, 3, hex) && std::string(hex) == rows[1].want ? 0 : 1;
    });
    EXPECT_EQ(0, stale.status);
    EXPECT_FALSE(lseek(fd, 0, SEEK_SET) != 0 || Sha256Descriptor(fd, 2, hex)) << "beyond the limit";
    close(fd);
    Sh("rm -rf " + dir);
}
// Notes join their flags, follow a rename (the others kept in order), and refuse what is no absolute path.
TEST(Record, NotedEntries) {
    ForgetNoted();
    NoteEntry("/a/cfg", NOTE_CONFIG);
    NoteEntry("/usr/bin/tv", NOTE_MADE);
    NoteEntry("relative", NOTE_MADE);
    NoteEntry("/a/log", NOTE_TREE);
    NoteEntry("/usr/bin/tv", NOTE_TREE);
    RenameNoted("/a/cfg", "/a/cfg2");
    RenameNoted("/a/none", "/a/x");
    ASSERT_EQ(NotedCount(), 3);
    EXPECT_STREQ(NotedPath(0), "/usr/bin/tv");
    EXPECT_STREQ(NotedPath(1), "/a/log");
    EXPECT_STREQ(NotedPath(2), "/a/cfg2");
    EXPECT_EQ(NotedFlagsOf("/usr/bin/tv"), NOTE_MADE | NOTE_TREE);
    EXPECT_EQ(NotedFlagsOf("/a/cfg2"), NOTE_CONFIG);
    EXPECT_EQ(NotedFlagsOf("/a/cfg"), 0u);
    ForgetNoted();
    EXPECT_EQ(NotedCount(), 0);
}
// A tree walked without following links: a link to a directory is an entry, not entered; what lies in a
// directory others may write is marked; a FIFO is examined, never opened; entries come sorted, each once.
TEST(Record, InventoryOfATree) {
    std::string dir = MakeTempDir();
    ASSERT_EQ(Sh("cd " + dir + " && mkdir -p t/open/sub out && echo x >out/secret && ln -s ../out t/link && "
                 "printf abc >t/f && mkfifo t/fifo && chmod 777 t/open && touch t/open/sub/deep && ln -s t tl && "
                 "mkdir t/open/usr && touch t/open/usr/x && chown -R 65534 t/open/usr && "
                 "ln -s ../../out t/open/via"), 0);
    Inventory inv{};
    EXPECT_TRUE(InventoryAdd(&inv, (dir + "/t").c_str(), NOTE_MADE, true, true));
    EXPECT_TRUE(InventoryAdd(&inv, (dir + "/t/f").c_str(), NOTE_CONFIG, false, true));
    EXPECT_FALSE(InventoryAdd(&inv, (dir + "/t/none").c_str(), 0, false, true));
    InventorySort(&inv);
    std::string seen;
    for (int i = 0; i < inv.count; i++) {
        const HostEntry &e = inv.items[i];
        seen += std::string(e.path + dir.size()) + " " + e.type + ((e.flags & INV_OPEN) ? " open" : "") +
                ((e.flags & NOTE_CONFIG) ? " config" : "") + (e.target ? std::string(" ") + e.target : "") +
                (e.sha256[0] ? " " + std::string(e.sha256, 4) : "") + "\n";
    }
    EXPECT_EQ(seen, "/t d\n/t/f f config ba78\n/t/fifo ?\n/t/link l ../out\n/t/open d\n/t/open/sub d open\n"
                    "/t/open/sub/deep f open\n/t/open/via l open ../../out\n");
    EXPECT_FALSE(inv.cut);
    FreeInventory(&inv);
    EXPECT_TRUE(PathWithin("/a/b", "/a/") && PathWithin("/a", "/a//") && PathWithin("/x", "/") &&
                PathWithin("/", "//"));
    EXPECT_FALSE(PathWithin("/ab", "/a/") || PathWithin("/ab", "/a"));
    // Root's link on the way is followed; one in a directory others may write is not; a user's entry there is left out.
    Inventory more{};
    EXPECT_TRUE(InventoryAdd(&more, (dir + "/tl/f").c_str(), 0, false, true));
    EXPECT_FALSE(InventoryAdd(&more, (dir + "/t/open/via/secret").c_str(), 0, false, true));
    EXPECT_FALSE(InventoryAdd(&more, (dir + "/t/open/usr").c_str(), 0, true, true));
    ASSERT_EQ(more.count, 1);
    EXPECT_EQ(std::string(more.items[0].sha256, 4), "ba78");
    FreeInventory(&more);
    Sh("rm -rf " + dir);
}
