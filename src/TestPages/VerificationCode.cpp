// The verification code of the e-invoice's left QR code: AES from OpenSSL's libcrypto.
#include "TestPages/EInvoice.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <stdexcept>

namespace {

// The IV every seller uses, as it is published: Base64 text.
constexpr const char* IvText = "Dt8lyToo17X/XkXaQvihuA==";

std::array<unsigned char, 16> Iv() {
    unsigned char decoded[18] = {};
    const std::string text = IvText;
    if (EVP_DecodeBlock(decoded, reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size())) != 18)
        throw std::logic_error("the e-invoice IV does not decode");
    std::array<unsigned char, 16> iv{};
    std::copy(decoded, decoded + 16, iv.begin());
    return iv;
}

struct TCipherContext {
    TCipherContext() : Ctx(EVP_CIPHER_CTX_new()) {
        if (!Ctx)
            throw std::runtime_error("no memory for AES");
    }
    ~TCipherContext() { EVP_CIPHER_CTX_free(Ctx); }
    TCipherContext(const TCipherContext&) = delete;
    TCipherContext& operator=(const TCipherContext&) = delete;
    EVP_CIPHER_CTX* Ctx;
};

} // namespace

std::string VerificationCode(const std::string& invoiceAndRandom,
                             const std::array<unsigned char, 16>& key) {
    static const std::array<unsigned char, 16> iv = Iv();
    TCipherContext cipher;
    // PKCS#7 padding is the cipher's default.
    unsigned char out[64];
    int length = 0, last = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(invoiceAndRandom.data());
    if (invoiceAndRandom.size() > 32 ||
        EVP_EncryptInit_ex(cipher.Ctx, EVP_aes_128_cbc(), nullptr, key.data(), iv.data()) != 1 ||
        EVP_EncryptUpdate(cipher.Ctx, out, &length, in,
                          static_cast<int>(invoiceAndRandom.size())) != 1 ||
        EVP_EncryptFinal_ex(cipher.Ctx, out + length, &last) != 1)
        throw std::runtime_error("AES-128-CBC failed");
    length += last;
    unsigned char base64[96];
    const int size = EVP_EncodeBlock(base64, out, length);
    OPENSSL_cleanse(out, sizeof out);
    return std::string(reinterpret_cast<const char*>(base64), static_cast<std::size_t>(size));
}
