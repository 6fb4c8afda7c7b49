// SHA-256 computed in the process: of a byte range, and of a file read
// through a descriptor, so that no command line and no link is involved.
#pragma once

#include <cstddef>
#include <cstdint>

// Length of a digest as lowercase hexadecimal text, without the NUL.
constexpr int SHA256_HEX_LEN = 64;

// The running state of one digest.
struct Sha256 {
    uint32_t state[8];
    uint64_t length;      // bytes fed so far
    uint8_t block[64];    // bytes of the block not yet compressed
    uint32_t used;        // how many of them
};

// Begins a digest.
void Sha256Begin(Sha256 *ctx);
// Feeds size bytes of data.
void Sha256Feed(Sha256 *ctx, const void *data, size_t size);
// Ends the digest and writes it as 64 lowercase hexadecimal digits and a NUL
// into hex (at least SHA256_HEX_LEN + 1 bytes).
void Sha256End(Sha256 *ctx, char *hex);
// The digest of size bytes of data as hexadecimal text into hex.
void Sha256Bytes(const void *data, size_t size, char *hex);
// The digest of everything that can be read from the open descriptor fd, from
// where it stands to its end, into hex. False (hex then empty) when a read
// fails or the file holds more than limit bytes.
bool Sha256Descriptor(int fd, uint64_t limit, char *hex);
