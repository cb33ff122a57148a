// Signatures of list archives: whoever publishes lists signs each archive
// with a secret key, and the program installs an archive only when its
// signature verifies against one of the public keys it trusts.
//
// A signature is a detached Ed25519 signature (64 bytes, the file NAME.sig
// beside the archive NAME). What is signed is the archive's name and its
// bytes together (kSignatureContext, NUL, the name, NUL, the bytes), so that
// a signature vouches for one list's archive only: a signed Senate archive
// served in place of the House archive does not verify.
//
// Keys are kept as text, one line of standard Base64 (the key files of
// qvtool keygen, the cache variable QV_EXTRA_LIST_KEY): 32 bytes for a public
// key, 64 for a secret one.
//
// Every function is safe to call from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr std::size_t kPublicKeySize = 32;
inline constexpr std::size_t kSecretKeySize = 64;
inline constexpr std::size_t kSignatureSize = 64;
inline constexpr const char* kSignatureSuffix = ".sig";
inline constexpr const char* kSignatureContext = "quorvane list archive";
// Archives are verified in memory; a larger one does not verify.
inline constexpr std::size_t kMaxSignedArchiveSize = 64 * 1024 * 1024;

using TPublicKey = std::array<unsigned char, kPublicKeySize>;
using TSecretKey = std::array<unsigned char, kSecretKeySize>;
using TSignature = std::array<unsigned char, kSignatureSize>;

// The signature library could not start, or a key text is not a key.
class ESignatureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct TKeyPair {
    TPublicKey Public;
    TSecretKey Secret;
};

// A new key pair from the system's random source.
TKeyPair GenerateKeyPair();

// One line of Base64, without a line end.
std::string KeyText(const TPublicKey& key);
std::string KeyText(const TSecretKey& key);
// The key in a text of Base64, blanks and line ends around it allowed;
// nullopt when it is no key of that size.
std::optional<TPublicKey> ParsePublicKey(std::string_view text);
std::optional<TSecretKey> ParseSecretKey(std::string_view text);

// The signature of the archive `name` holding `content`.
TSignature SignArchive(std::string_view name, std::string_view content, const TSecretKey& key);

// True when `signature` is a signature of the archive `name` holding
// `content` by one of `trusted`. Anything else (a signature of another size,
// of other bytes or another name, by another key; an archive larger than
// kMaxSignedArchiveSize) is false.
bool VerifyArchive(std::string_view name, std::string_view content, std::string_view signature,
                   const std::vector<TPublicKey>& trusted);

// The keys the program trusts: the project's own list key, and the key of
// the cache variable QV_EXTRA_LIST_KEY when the build sets one.
const std::vector<TPublicKey>& TrustedListKeys();

}  // namespace qv
