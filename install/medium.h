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

// Splits text with GetToken at delimiters, up to the first word that is the
// end marker. The words are saved strings; FreeWords releases them.
WordList CollectWords(const char *text, const char *delimiters);
void FreeWords(WordList &list);

// Reads dir/disks, or else dir/DISKS upper-cased up to the end marker, into
// LineBuf. Ends the run with message 21 (status 1) when neither can be read.
void GetDisksData(const char *dir);
// Appends the pieces named by the work area's copy of the list, in list
// order, to WORK/Linuxi386Tvxx.tar.Z. Leaves the current directory at WORK.
void genZFile();
