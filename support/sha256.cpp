// SHA-256 as the standard for secure hashes defines it: 64-byte blocks,
// eight 32-bit words of state, the length in bits at the end.
#include "support/sha256.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr uint32_t ROUND_KEYS[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};
static_assert(sizeof ROUND_KEYS / sizeof ROUND_KEYS[0] == 64, "one key per round");

constexpr uint32_t INITIAL_STATE[8] = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

constexpr size_t READ_CHUNK = 16384; // bytes read from a file at a time

uint32_t Rotate(uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

// Compresses one 64-byte block into the state.
void Compress(uint32_t *state, const uint8_t *block) {
    uint32_t w[64];
    for (int i = 0; i < 16; i++) {
        w[i] = static_cast<uint32_t>(block[4 * i]) << 24 | static_cast<uint32_t>(block[4 * i + 1]) << 16 |
               static_cast<uint32_t>(block[4 * i + 2]) << 8 | block[4 * i + 3];
    }
    for (int i = 16; i < 64; i++) {
        uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
        uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t v[8];
    memcpy(v, state, sizeof v);
    for (int i = 0; i < 64; i++) {
        uint32_t s1 = Rotate(v[4], 6) ^ Rotate(v[4], 11) ^ Rotate(v[4], 25);
        uint32_t ch = (v[4] & v[5]) ^ (~v[4] & v[6]);
        uint32_t t1 = v[7] + s1 + ch + ROUND_KEYS[i] + w[i];
        uint32_t s0 = Rotate(v[0], 2) ^ Rotate(v[0], 13) ^ Rotate(v[0], 22);
        uint32_t maj = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
        uint32_t t2 = s0 + maj;
        memmove(v + 1, v, 7 * sizeof v[0]);
        v[4] += t1;
        v[0] = t1 + t2;
    }
    for (int i = 0; i < 8; i++) {
        state[i] += v[i];
    }
}

} // namespace

void Sha256Begin(Sha256 *ctx) {
    memcpy(ctx->state, INITIAL_STATE, sizeof ctx->state);
    ctx->length = 0;
    ctx->used = 0;
}

void Sha256Feed(Sha256 *ctx, const void *data, size_t size) {
    const uint8_t *p = static_cast<const uint8_t *>(data);
    ctx->length += size;
    while (size > 0) {
        size_t take = sizeof ctx->block - ctx->used;
        take = take < size ? take : size;
        memcpy(ctx->block + ctx->used, p, take);
        ctx->used += static_cast<uint32_t>(take);
        p += take;
        size -= take;
        if (ctx->used == sizeof ctx->block) {
            Compress(ctx->state, ctx->block);
            ctx->used = 0;
        }
    }
}

void Sha256End(Sha256 *ctx, char *hex) {
    uint64_t bits = ctx->length * 8;
    // A one bit, zeros up to 56 bytes of the last block, the length in bits.
    uint8_t pad[72] = {0x80};
    size_t padLen = (ctx->used < 56 ? 56 : 120) - ctx->used;
    for (int i = 0; i < 8; i++) {
        pad[padLen + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    }
    Sha256Feed(ctx, pad, padLen + 8);
    for (int i = 0; i < 8; i++) {
        snprintf(hex + 8 * i, 9, "%08x", ctx->state[i]);
    }
}

void Sha256Bytes(const void *data, size_t size, char *hex) {
    Sha256 ctx;
    Sha256Begin(&ctx);
    Sha256Feed(&ctx, data, size);
    Sha256End(&ctx, hex);
}

bool Sha256Descriptor(int fd, uint64_t limit, char *hex) {
    Sha256 ctx;
    Sha256Begin(&ctx);
    uint8_t buf[READ_CHUNK];
    hex[0] = '\0';
    for (;;) {
        ssize_t got = read(fd, buf, sizeof buf);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 || ctx.length + static_cast<uint64_t>(got) > limit) {
            return false;
        }
        if (got == 0) {
            break;
        }
        Sha256Feed(&ctx, buf, static_cast<size_t>(got));
    }
    Sha256End(&ctx, hex);
    return true;
}
