// The primitives against their published test vectors: FIPS 180 / RFC 3174
// (SHA-1), RFC 2202 (HMAC-SHA1), RFC 6070 (PBKDF2-HMAC-SHA1), FIPS-197 (AES).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/Aes.h"
#include "crypto/HmacSha1.h"
#include "crypto/Sha1.h"

using namespace vell::crypto;

namespace {

std::vector<std::uint8_t> Hex(const std::string& hex) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

template <typename Container>
std::string ToHex(const Container& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (std::uint8_t b : bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

std::vector<std::uint8_t> Text(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace

TEST(Sha1, PublishedDigests) {
  struct Case {
    std::string message;
    const char* digest;
  } cases[] = {
      {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToHex(Sha1::Of(c.message.data(), c.message.size())), c.digest);

  // The same million bytes fed in uneven pieces.
  Sha1 pieces;
  const std::string a(1000000, 'a');
  for (std::size_t at = 0, step = 1; at < a.size(); at += step, step = step * 3 % 257 + 1)
    pieces.Update(a.data() + at, std::min(step, a.size() - at));
  EXPECT_EQ(ToHex(pieces.Finish()), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(HmacSha1, Rfc2202Cases) {
  struct Case {
    std::vector<std::uint8_t> key, data;
    const char* mac;
  } cases[] = {
      {std::vector<std::uint8_t>(20, 0x0b), Text("Hi There"), "b617318655057264e28bc0b6fb378c8ef146be00"},
      {Text("Jefe"), Text("what do ya want for nothing?"), "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
      {std::vector<std::uint8_t>(20, 0xaa), std::vector<std::uint8_t>(50, 0xdd),
       "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
      {Hex("0102030405060708090a0b0c0d0e0f10111213141516171819"), std::vector<std::uint8_t>(50, 0xcd),
       "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
      {std::vector<std::uint8_t>(80, 0xaa), Text("Test Using Larger Than Block-Size Key - Hash Key First"),
       "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
      {std::vector<std::uint8_t>(80, 0xaa),
       Text("Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data"),
       "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"},
  };
  for (const auto& c : cases) {
    HmacSha1 mac(c.key.data(), c.key.size());
    mac.Update(c.data.data(), c.data.size());
    EXPECT_EQ(ToHex(mac.Finish()), c.mac);
    mac.Restart();  // a second message under the same key gives the same code
    mac.Update(c.data.data(), c.data.size());
    EXPECT_EQ(ToHex(mac.Finish()), c.mac);
  }
}

TEST(Pbkdf2HmacSha1, Rfc6070Cases) {
  struct Case {
    std::string password, salt;
    unsigned iterations;
    std::size_t length;
    const char* key;
  } cases[] = {
      {"password", "salt", 1, 20, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
      {"password", "salt", 2, 20, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
      {"password", "salt", 4096, 20, "4b007901b765489abead49d926f721d065a429c1"},
      {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25,
       "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
      {std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096, 16, "56fa6aa75548099dcc37d7f03425e0c3"},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> out(c.length);
    Pbkdf2HmacSha1(Text(c.password), Text(c.salt), c.iterations, out);
    EXPECT_EQ(ToHex(out), c.key) << c.password;
  }
}

TEST(Aes, Fips197ExampleVectors) {
  const auto plain = Hex("00112233445566778899aabbccddeeff");
  struct Case {
    const char* key;
    const char* cipher;
  } cases[] = {
      {"000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a"},
      {"000102030405060708090a0b0c0d0e0f1011121314151617", "dda97ca4864cdfe06eaf70a0ec0d7191"},
      {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", "8ea2b7ca516745bfeafc49904b496089"},
  };
  for (const auto& c : cases) {
    AesEncryptor aes(Hex(c.key));
    std::uint8_t out[16];
    aes.EncryptBlock(plain.data(), out);
    EXPECT_EQ(ToHex(std::vector<std::uint8_t>(out, out + 16)), c.cipher) << c.key;
  }
  // Appendix B's worked example.
  AesEncryptor appendixB(Hex("2b7e151628aed2a6abf7158809cf4f3c"));
  const auto input = Hex("3243f6a8885a308d313198a2e0370734");
  std::uint8_t out[16];
  appendixB.EncryptBlock(input.data(), out);
  EXPECT_EQ(ToHex(std::vector<std::uint8_t>(out, out + 16)), "3925841d02dc09fbdc118597196a0b32");
  EXPECT_THROW(AesEncryptor(Hex("00112233")), std::invalid_argument);
}
