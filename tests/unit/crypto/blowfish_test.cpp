#include "crypto/blowfish.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dw {
namespace {

std::vector<std::uint8_t> Hex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

struct Vector {
  const char* key;
  const char* plain;
  const char* cipher;
};

// The published single-block vectors (Eric Young's set): key, plaintext, ciphertext.
constexpr Vector kVariableKey[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

TEST(Blowfish, ReproducesPublishedSingleBlockVectors) {
  for (const auto& v : kVariableKey) {
    SCOPED_TRACE(v.key);
    const auto key = Hex(v.key);
    BlowfishContext ctx;
    BlowfishSetup(ctx, key.data(), key.size(), nullptr);
    std::uint8_t block[8];
    BlowfishEncryptBlock(ctx, Hex(v.plain).data(), block);
    EXPECT_EQ(std::vector<std::uint8_t>(block, block + 8), Hex(v.cipher));
    BlowfishDecryptBlock(ctx, block, block);  // in place
    EXPECT_EQ(std::vector<std::uint8_t>(block, block + 8), Hex(v.plain));
  }
}

// Key lengths 1..24 taken from one long key over a fixed block: exercises the
// key schedule's wrap-around for every short length.
TEST(Blowfish, ReproducesPublishedVariableKeyLengthVectors) {
  const auto key = Hex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
  const char* expected[] = {
      "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
      "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
      "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
      "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
      "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
      "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080"};
  for (std::size_t length = 1; length <= key.size(); ++length) {
    SCOPED_TRACE(length);
    BlowfishContext ctx;
    BlowfishSetup(ctx, key.data(), length, nullptr);
    std::uint8_t block[8];
    BlowfishEncryptBlock(ctx, Hex("FEDCBA9876543210").data(), block);
    EXPECT_EQ(std::vector<std::uint8_t>(block, block + 8), Hex(expected[length - 1]));
  }
}

TEST(Blowfish, ChainedOperationsReproducePublishedCbcExample) {
  const auto key = Hex("0123456789ABCDEFF0E1D2C3B4A59687");
  const auto iv = Hex("FEDCBA9876543210");
  // "7654321 Now is the time for " and a zero, padded to whole blocks.
  auto data = Hex("37363534333231204E6F77206973207468652074696D6520666F722000000000");
  const auto cipher = Hex("6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC");
  const auto plain = data;

  BlowfishContext ctx;
  BlowfishSetup(ctx, key.data(), key.size(), iv.data());
  for (std::size_t i = 0; i < data.size(); i += 8) {
    BlowfishEncryptChained(ctx, &data[i], &data[i]);
  }
  EXPECT_EQ(data, cipher);

  // Without a reset the chain continues from the last block and decryption fails.
  std::vector<std::uint8_t> wrong = cipher;
  BlowfishDecryptChained(ctx, &wrong[0], &wrong[0]);
  EXPECT_NE(std::vector<std::uint8_t>(wrong.begin(), wrong.begin() + 8),
            std::vector<std::uint8_t>(plain.begin(), plain.begin() + 8));

  BlowfishResetChain(ctx);
  std::vector<std::uint8_t> out(data.size());
  for (std::size_t i = 0; i < data.size(); i += 8) {
    BlowfishDecryptChained(ctx, &data[i], &out[i]);  // separate output area
  }
  EXPECT_EQ(out, plain);
}

TEST(Blowfish, KeyLengthMustBeOneToFiftySix) {
  std::uint8_t key[57] = {};
  BlowfishContext ctx;
  for (std::size_t bad : {std::size_t{0}, std::size_t{57}}) {
    try {
      BlowfishSetup(ctx, key, bad, nullptr);
      ADD_FAILURE() << "accepted a key of " << bad << " bytes";
    } catch (const BlowfishError& e) {
      EXPECT_STREQ(e.what(), "Blowfish: Key must be between 1 and 56 bytes long");
    }
  }
  EXPECT_NO_THROW(BlowfishSetup(ctx, key, 1, nullptr));
  EXPECT_NO_THROW(BlowfishSetup(ctx, key, 56, nullptr));
}

TEST(Blowfish, SetupCopiesVectorIntoChainOrZeroes) {
  const auto iv = Hex("0102030405060708");
  std::uint8_t key[1] = {7};
  BlowfishContext ctx;
  BlowfishSetup(ctx, key, 1, iv.data());
  EXPECT_EQ(std::vector<std::uint8_t>(ctx.chain, ctx.chain + 8), iv);
  EXPECT_EQ(std::vector<std::uint8_t>(ctx.initialVector, ctx.initialVector + 8), iv);
  BlowfishSetup(ctx, key, 1, nullptr);
  EXPECT_EQ(std::vector<std::uint8_t>(ctx.chain, ctx.chain + 8), std::vector<std::uint8_t>(8, 0));
}

}  // namespace
}  // namespace dw
