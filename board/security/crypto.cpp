#include "board/security/crypto.h"

#include <sodium.h>

#include <stdexcept>

namespace board::security {

void initCrypto() {
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
}

// Interactive costs: about 0.1 s and 64 MiB a hash on this class of machine,
// the library's recommendation for logins.
std::string hashPassword(const std::string& password) {
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                              crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw std::runtime_error("out of memory while hashing a password");
    return out;
}

bool verifyPassword(const std::string& hash, const std::string& password) {
    if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES) return false;
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

namespace {
std::string toHex(const unsigned char* p, std::size_t n) {
    std::string out(n * 2 + 1, '\0');
    sodium_bin2hex(out.data(), out.size(), p, n);
    out.pop_back();
    return out;
}
}  // namespace

std::string randomHex(std::size_t bytes) {
    std::vector<unsigned char> buf(bytes);
    randombytes_buf(buf.data(), buf.size());
    return toHex(buf.data(), buf.size());
}

std::string randomId(std::size_t length) {
    static const char alphabet[] = "abcdefghjkmnpqrstuvwxyz23456789";  // 31 letters, no i, l, o, 0, 1
    std::string out;
    for (std::size_t i = 0; i < length; ++i) out += alphabet[randombytes_uniform(sizeof alphabet - 1)];
    return out;
}

std::string sha256Hex(const std::vector<std::uint8_t>& bytes) {
    unsigned char h[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(h, bytes.data(), bytes.size());
    return toHex(h, sizeof h);
}

std::string sha256Hex(const std::string& text) {
    unsigned char h[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(h, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    return toHex(h, sizeof h);
}

std::string keyedToken(const std::string& keyHex, const std::string& message) {
    unsigned char key[crypto_auth_KEYBYTES] = {};
    std::size_t keyLen = 0;
    sodium_hex2bin(key, sizeof key, keyHex.data(), keyHex.size(), nullptr, &keyLen, nullptr);
    unsigned char mac[crypto_auth_BYTES];
    crypto_auth(mac, reinterpret_cast<const unsigned char*>(message.data()), message.size(), key);
    sodium_memzero(key, sizeof key);
    return toHex(mac, sizeof mac);
}

bool sameToken(const std::string& a, const std::string& b) {
    if (a.size() != b.size() || a.empty()) return false;
    return sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace board::security
