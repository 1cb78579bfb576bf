// The published Blowfish 64-bit block cipher (16 rounds, 1..56-byte key) with
// single-block and CBC operations over an 8-byte chaining block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/error.h"

namespace dw {

struct BlowfishContext {
  std::uint8_t initialVector[8];
  std::uint8_t chain[8];
  std::uint32_t S[4][256];
  std::uint32_t P[18];
};

class BlowfishError : public Error {
 public:
  using Error::Error;
};

// Prepares `ctx` for `key`; `iv` (8 bytes) may be null, which means zero.
// Throws BlowfishError when keyLength is outside 1..56.
void BlowfishSetup(BlowfishContext& ctx, const std::uint8_t* key, std::size_t keyLength,
                   const std::uint8_t* iv);

// One block, no chaining; `in` and `out` may be the same 8 bytes.
void BlowfishEncryptBlock(const BlowfishContext& ctx, const std::uint8_t* in, std::uint8_t* out);
void BlowfishDecryptBlock(const BlowfishContext& ctx, const std::uint8_t* in, std::uint8_t* out);

// CBC: out = E(in ^ chain), chain = out; and out = D(in) ^ chain, chain = in.
// `in` and `out` may be the same 8 bytes.
void BlowfishEncryptChained(BlowfishContext& ctx, const std::uint8_t* in, std::uint8_t* out);
void BlowfishDecryptChained(BlowfishContext& ctx, const std::uint8_t* in, std::uint8_t* out);

void BlowfishResetChain(BlowfishContext& ctx);

}  // namespace dw
