#include "crypto/blowfish.h"

#include <cstring>

namespace dw {
namespace {

#include "crypto/blowfish_tables.inc"

std::uint32_t ReadWord(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

void WriteWord(std::uint32_t w, std::uint8_t* p) {
  p[0] = static_cast<std::uint8_t>(w >> 24);
  p[1] = static_cast<std::uint8_t>(w >> 16);
  p[2] = static_cast<std::uint8_t>(w >> 8);
  p[3] = static_cast<std::uint8_t>(w);
}

std::uint32_t F(const BlowfishContext& ctx, std::uint32_t x) {
  return ((ctx.S[0][x >> 24] + ctx.S[1][(x >> 16) & 0xFF]) ^ ctx.S[2][(x >> 8) & 0xFF]) +
         ctx.S[3][x & 0xFF];
}

void EncryptHalves(const BlowfishContext& ctx, std::uint32_t& left, std::uint32_t& right) {
  std::uint32_t l = left ^ ctx.P[0];
  std::uint32_t r = right;
  for (int round = 1; round <= 16; round += 2) {
    r ^= F(ctx, l) ^ ctx.P[round];
    l ^= F(ctx, r) ^ ctx.P[round + 1];
  }
  r ^= ctx.P[17];
  left = r;
  right = l;
}

void DecryptHalves(const BlowfishContext& ctx, std::uint32_t& left, std::uint32_t& right) {
  std::uint32_t l = left ^ ctx.P[17];
  std::uint32_t r = right;
  for (int round = 16; round >= 1; round -= 2) {
    r ^= F(ctx, l) ^ ctx.P[round];
    l ^= F(ctx, r) ^ ctx.P[round - 1];
  }
  r ^= ctx.P[0];
  left = r;
  right = l;
}

}  // namespace

void BlowfishSetup(BlowfishContext& ctx, const std::uint8_t* key, std::size_t keyLength,
                   const std::uint8_t* iv) {
  if (keyLength < 1 || keyLength > 56) {
    throw BlowfishError("Blowfish: Key must be between 1 and 56 bytes long");
  }
  std::memcpy(ctx.S, kInitialS, sizeof ctx.S);
  std::memcpy(ctx.P, kInitialP, sizeof ctx.P);
  if (iv != nullptr) {
    std::memcpy(ctx.initialVector, iv, 8);
  } else {
    std::memset(ctx.initialVector, 0, 8);
  }
  std::memcpy(ctx.chain, ctx.initialVector, 8);

  std::size_t j = 0;
  for (auto& p : ctx.P) {
    std::uint32_t word = 0;
    for (int k = 0; k < 4; ++k) {
      word = (word << 8) | key[(j + k) % keyLength];
    }
    p ^= word;
    j = (j + 4) % keyLength;
  }

  std::uint32_t left = 0;
  std::uint32_t right = 0;
  for (int i = 0; i < 18; i += 2) {
    EncryptHalves(ctx, left, right);
    ctx.P[i] = left;
    ctx.P[i + 1] = right;
  }
  for (auto& box : ctx.S) {
    for (int i = 0; i < 256; i += 2) {
      EncryptHalves(ctx, left, right);
      box[i] = left;
      box[i + 1] = right;
    }
  }
}

void BlowfishEncryptBlock(const BlowfishContext& ctx, const std::uint8_t* in, std::uint8_t* out) {
  std::uint32_t left = ReadWord(in);
  std::uint32_t right = ReadWord(in + 4);
  EncryptHalves(ctx, left, right);
  WriteWord(left, out);
  WriteWord(right, out + 4);
}

void BlowfishDecryptBlock(const BlowfishContext& ctx, const std::uint8_t* in, std::uint8_t* out) {
  std::uint32_t left = ReadWord(in);
  std::uint32_t right = ReadWord(in + 4);
  DecryptHalves(ctx, left, right);
  WriteWord(left, out);
  WriteWord(right, out + 4);
}

void BlowfishEncryptChained(BlowfishContext& ctx, const std::uint8_t* in, std::uint8_t* out) {
  std::uint8_t block[8];
  for (int i = 0; i < 8; ++i) block[i] = in[i] ^ ctx.chain[i];
  BlowfishEncryptBlock(ctx, block, out);
  std::memcpy(ctx.chain, out, 8);
}

void BlowfishDecryptChained(BlowfishContext& ctx, const std::uint8_t* in, std::uint8_t* out) {
  std::uint8_t kept[8];
  std::memcpy(kept, in, 8);
  BlowfishDecryptBlock(ctx, kept, out);
  for (int i = 0; i < 8; ++i) out[i] ^= ctx.chain[i];
  std::memcpy(ctx.chain, kept, 8);
}

void BlowfishResetChain(BlowfishContext& ctx) { std::memcpy(ctx.chain, ctx.initialVector, 8); }

}  // namespace dw
