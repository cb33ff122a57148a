#include "update/list_signature.h"

#include <sodium.h>

#include "update/configured_keys.h"

namespace qv {

namespace {

// The project's list key. Its secret half is kept by whoever publishes the
// lists, never in the repository.
constexpr const char* kProjectListKey = "cbpJGdExMGcE3mwnxBT5w+8K2lOCRsC3Upsq6W8zWB8=";

void StartSodium() {
    static const int started = sodium_init();
    if (started < 0) {
        throw ESignatureError("The signature library cannot start");
    }
}

template <std::size_t N>
std::string Base64(const std::array<unsigned char, N>& bytes) {
    std::string text(sodium_base64_ENCODED_LEN(N, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), bytes.data(), N, sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.find('\0'));
    return text;
}

template <std::size_t N>
std::optional<std::array<unsigned char, N>> FromBase64(std::string_view text) {
    StartSodium();
    std::array<unsigned char, N> bytes{};
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(bytes.data(), N, text.data(), text.size(), " \t\r\n", &length, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0 ||
        length != N || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return bytes;
}

std::string SignedMessage(std::string_view name, std::string_view content) {
    std::string message(kSignatureContext);
    message.reserve(message.size() + name.size() + content.size() + 2);
    message += '\0';
    message += name;
    message += '\0';
    message += content;
    return message;
}

const unsigned char* Bytes(const std::string& text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

TKeyPair GenerateKeyPair() {
    StartSodium();
    TKeyPair pair{};
    crypto_sign_keypair(pair.Public.data(), pair.Secret.data());
    return pair;
}

std::string KeyText(const TPublicKey& key) {
    return Base64(key);
}

std::string KeyText(const TSecretKey& key) {
    return Base64(key);
}

std::optional<TPublicKey> ParsePublicKey(std::string_view text) {
    return FromBase64<kPublicKeySize>(text);
}

std::optional<TSecretKey> ParseSecretKey(std::string_view text) {
    return FromBase64<kSecretKeySize>(text);
}

TSignature SignArchive(std::string_view name, std::string_view content, const TSecretKey& key) {
    StartSodium();
    const std::string message = SignedMessage(name, content);
    TSignature signature{};
    crypto_sign_detached(signature.data(), nullptr, Bytes(message), message.size(), key.data());
    return signature;
}

bool VerifyArchive(std::string_view name, std::string_view content, std::string_view signature,
                   const std::vector<TPublicKey>& trusted) {
    if (signature.size() != kSignatureSize || content.size() > kMaxSignedArchiveSize) {
        return false;
    }
    StartSodium();
    const std::string message = SignedMessage(name, content);
    const auto* sig = reinterpret_cast<const unsigned char*>(signature.data());
    for (const TPublicKey& key : trusted) {
        if (crypto_sign_verify_detached(sig, Bytes(message), message.size(), key.data()) == 0) {
            return true;
        }
    }
    return false;
}

const std::vector<TPublicKey>& TrustedListKeys() {
    static const std::vector<TPublicKey> keys = [] {
        std::vector<TPublicKey> list;
        for (const char* text : {kProjectListKey, configured::kExtraListKey}) {
            if (auto key = ParsePublicKey(text)) {
                list.push_back(*key);
            }
        }
        return list;
    }();
    return keys;
}

}  // namespace qv
