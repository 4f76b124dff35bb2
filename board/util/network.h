// Addresses and networks (CIDR) for bans and rate limits, IPv4 and IPv6.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace board::util {

struct Network {
    std::array<std::uint8_t, 16> bytes{};  // IPv4 held as ::ffff:a.b.c.d
    int prefix = 128;                      // bits, on the 128-bit form
    bool contains(const Network& address) const;
    std::string text() const;              // normalised: "10.0.0.0/8", "2001:db8::/32"
};

// "10.1.2.3", "10.0.0.0/8", "2001:db8::/32"; nothing when malformed.
std::optional<Network> parseNetwork(const std::string& text);

}  // namespace board::util
