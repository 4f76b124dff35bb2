// The board's secrets, through libsodium: Argon2id password hashes, random
// tokens, content hashes and keyed tokens (CSRF). Passwords never leave
// these calls except as a hash.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace board::security {

// Initialises libsodium; call once before anything else here.
void initCrypto();

// An Argon2id hash in the library's string form (salt and costs included).
std::string hashPassword(const std::string& password);
bool verifyPassword(const std::string& hash, const std::string& password);

// Random bytes as lowercase hex (2 characters a byte).
std::string randomHex(std::size_t bytes);
// A short id for URLs: characters of [a-z0-9] without look-alikes.
std::string randomId(std::size_t length);

std::string sha256Hex(const std::vector<std::uint8_t>& bytes);
std::string sha256Hex(const std::string& text);

// A keyed token over a message (HMAC-SHA-512-256), as hex; the key is hex.
std::string keyedToken(const std::string& keyHex, const std::string& message);
// Compares in constant time.
bool sameToken(const std::string& a, const std::string& b);

}  // namespace board::security
