// The verification code of the e-invoice's left QR code: AES from OpenSSL's libcrypto.
#include "TestPages/EInvoice.h"

#include <dlfcn.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <stdexcept>

namespace {

// The IV every seller uses, as it is published: Base64 text.
constexpr const char* IvText = "Dt8lyToo17X/XkXaQvihuA==";

// libcrypto is opened when the first code is made, not when the program starts: mapped and
// relocated it holds more than a megabyte of the window's memory, which only this page needs.
struct TLibCrypto {
    decltype(&EVP_CIPHER_CTX_new) CtxNew;
    decltype(&EVP_CIPHER_CTX_free) CtxFree;
    decltype(&EVP_aes_128_cbc) Aes128Cbc;
    decltype(&EVP_EncryptInit_ex) EncryptInit;
    decltype(&EVP_EncryptUpdate) EncryptUpdate;
    decltype(&EVP_EncryptFinal_ex) EncryptFinal;
    decltype(&EVP_EncodeBlock) EncodeBlock;
    decltype(&EVP_DecodeBlock) DecodeBlock;
    decltype(&OPENSSL_cleanse) Cleanse;
};

template <class T> void Bind(void* library, const char* name, T& function) {
    function = reinterpret_cast<T>(dlsym(library, name));
    if (!function)
        throw std::runtime_error(std::string(VEMIX_LIBCRYPTO " lacks ") + name);
}

const TLibCrypto& LibCrypto() {
    static const TLibCrypto lib = [] {
        // Never closed: the functions stay in use until the program ends.
        void* library = dlopen(VEMIX_LIBCRYPTO, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            throw std::runtime_error(std::string("cannot load ") + dlerror());
        TLibCrypto f{};
        Bind(library, "EVP_CIPHER_CTX_new", f.CtxNew);
        Bind(library, "EVP_CIPHER_CTX_free", f.CtxFree);
        Bind(library, "EVP_aes_128_cbc", f.Aes128Cbc);
        Bind(library, "EVP_EncryptInit_ex", f.EncryptInit);
        Bind(library, "EVP_EncryptUpdate", f.EncryptUpdate);
        Bind(library, "EVP_EncryptFinal_ex", f.EncryptFinal);
        Bind(library, "EVP_EncodeBlock", f.EncodeBlock);
        Bind(library, "EVP_DecodeBlock", f.DecodeBlock);
        Bind(library, "OPENSSL_cleanse", f.Cleanse);
        return f;
    }();
    return lib;
}

std::array<unsigned char, 16> Iv() {
    unsigned char decoded[18] = {};
    const std::string text = IvText;
    if (LibCrypto().DecodeBlock(decoded, reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size())) != 18)
        throw std::logic_error("the e-invoice IV does not decode");
    std::array<unsigned char, 16> iv{};
    std::copy(decoded, decoded + 16, iv.begin());
    return iv;
}

struct TCipherContext {
    TCipherContext() : Ctx(LibCrypto().CtxNew()) {
        if (!Ctx)
            throw std::runtime_error("no memory for AES");
    }
    ~TCipherContext() { LibCrypto().CtxFree(Ctx); }
    TCipherContext(const TCipherContext&) = delete;
    TCipherContext& operator=(const TCipherContext&) = delete;
    EVP_CIPHER_CTX* Ctx;
};

} // namespace

std::string VerificationCode(const std::string& invoiceAndRandom,
                             const std::array<unsigned char, 16>& key) {
    const TLibCrypto& crypto = LibCrypto();
    static const std::array<unsigned char, 16> iv = Iv();
    TCipherContext cipher;
    // PKCS#7 padding is the cipher's default.
    unsigned char out[64];
    int length = 0, last = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(invoiceAndRandom.data());
    if (invoiceAndRandom.size() > 32 ||
        crypto.EncryptInit(cipher.Ctx, crypto.Aes128Cbc(), nullptr, key.data(), iv.data()) != 1 ||
        crypto.EncryptUpdate(cipher.Ctx, out, &length, in,
                             static_cast<int>(invoiceAndRandom.size())) != 1 ||
        crypto.EncryptFinal(cipher.Ctx, out + length, &last) != 1)
        throw std::runtime_error("AES-128-CBC failed");
    length += last;
    unsigned char base64[96];
    const int size = crypto.EncodeBlock(base64, out, length);
    crypto.Cleanse(out, sizeof out);
    return std::string(reinterpret_cast<const char*>(base64), static_cast<std::size_t>(size));
}
