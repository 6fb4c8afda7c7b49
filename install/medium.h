// The install medium's disks list and the joining of the archive pieces.
#pragma once

// Base name of the installation archive: the pieces are joined into
// WORK/Linuxi386Tvxx.tar.Z, which is uncompressed and unpacked there.
constexpr char ARCHIVE_NAME[] = "Linuxi386Tvxx";
// The word that ends the disks list.
constexpr char END_MARKER[] = "end_of_list";

// Names of a list text, saved one by one, so that the tokenizer walk is over
// before any command runs (the commands use the tokenizer and LineBuf too).
struct WordList {
    char **words;
    int count;
};

// Separators of the names of a list line, for the copy and the join alike.
constexpr char DISKS_SEPARATORS[] = " \t\r\n";

// Splits text with GetToken at delimiters, up to the first word that is the
// end marker. The words are saved strings; FreeWords releases them. A word
// longer than the token buffer ends the run (message 9, status 1).
WordList CollectWords(const char *text, const char *delimiters);
void FreeWords(WordList &list);
// The names the copy takes from a list text: line by line up to a line that
// is exactly the end marker, each line up to the marker as a word.
WordList ListedNames(const char *text);

// Reads the whole of dir/DISKS with every name upper-cased (end markers
// stay in lower case) when dir is an upper-case medium (it holds DISKS or
// SHA256SUMS), else of dir/disks, into a saved text (the caller frees it).
// Ends the run with status 1 when dir holds both list files (message 74
// naming both), when the one to read cannot be read (message 21), when the list names no
// file (10), a name longer than the name limit (9) or a name that is not a
// plain file name of the characters allowed in command lines (11).
char *GetDisksData(const char *dir);
// The name of the list file GetDisksData read last: "disks" or "DISKS".
const char *ListFileName();
// Appends the pieces named by the work area's copy of the list, in list
// order, to WORK/Linuxi386Tvxx.tar.Z, each a logged command. Leaves the
// current directory at WORK.
void genZFile();
