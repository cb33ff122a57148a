#include "update/list_signature.h"

#include <gtest/gtest.h>

namespace {

using namespace qv;

TEST(ListSignatureTest, KeyTextsReadBackAndNothingElseReadsAsAKey) {
    const TKeyPair pair = GenerateKeyPair();
    EXPECT_EQ(ParsePublicKey(KeyText(pair.Public) + "\n"), pair.Public);
    EXPECT_EQ(ParseSecretKey(" " + KeyText(pair.Secret) + "\r\n"), pair.Secret);
    const std::string notKeys[] = {"", "not base64!", KeyText(pair.Secret),
                                   KeyText(pair.Public).substr(4), KeyText(pair.Public) + "AAAA"};
    for (const std::string& text : notKeys) {
        EXPECT_FALSE(ParsePublicKey(text)) << text;
    }
    EXPECT_FALSE(ParseSecretKey(KeyText(pair.Public)));
}

TEST(ListSignatureTest, SignatureCoversTheNameAndTheBytesAndNeedsATrustedKey) {
    const TKeyPair pair = GenerateKeyPair();
    const TKeyPair other = GenerateKeyPair();
    const TSignature sig = SignArchive("senate2.dat", "archive bytes", pair.Secret);
    const std::string good(sig.begin(), sig.end());
    EXPECT_TRUE(VerifyArchive("senate2.dat", "archive bytes", good, {other.Public, pair.Public}));
    EXPECT_FALSE(VerifyArchive("house2.dat", "archive bytes", good, {pair.Public}));
    EXPECT_FALSE(VerifyArchive("senate2.dat", "archive bytez", good, {pair.Public}));
    EXPECT_FALSE(VerifyArchive("senate2.dat", "archive bytes", good, {other.Public}));
    EXPECT_FALSE(VerifyArchive("senate2.dat", "archive bytes", good.substr(1), {pair.Public}));
    // The program trusts its own key, not one made here.
    EXPECT_FALSE(TrustedListKeys().empty());
    EXPECT_FALSE(VerifyArchive("senate2.dat", "archive bytes", good, TrustedListKeys()));
}

}  // namespace
