#include "board/util/network.h"

#include <arpa/inet.h>

#include <cstring>

namespace board::util {

bool Network::contains(const Network& address) const {
    for (int bit = 0; bit < prefix; ++bit) {
        int byte = bit / 8, mask = 0x80 >> (bit % 8);
        if ((bytes[byte] & mask) != (address.bytes[byte] & mask)) return false;
    }
    return true;
}

std::string Network::text() const {
    static const std::uint8_t v4[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    char buf[INET6_ADDRSTRLEN];
    if (std::memcmp(bytes.data(), v4, 12) == 0 && prefix >= 96) {
        inet_ntop(AF_INET, bytes.data() + 12, buf, sizeof buf);
        return std::string(buf) + "/" + std::to_string(prefix - 96);
    }
    inet_ntop(AF_INET6, bytes.data(), buf, sizeof buf);
    return std::string(buf) + "/" + std::to_string(prefix);
}

std::optional<Network> parseNetwork(const std::string& text) {
    std::string host = text;
    int prefix = -1;
    auto slash = text.find('/');
    if (slash != std::string::npos) {
        host = text.substr(0, slash);
        std::string bits = text.substr(slash + 1);
        if (bits.empty() || bits.size() > 3 || bits.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        prefix = std::stoi(bits);
    }
    Network n;
    in_addr a4{};
    in6_addr a6{};
    if (inet_pton(AF_INET, host.c_str(), &a4) == 1) {
        if (prefix > 32) return std::nullopt;
        n.bytes[10] = n.bytes[11] = 0xff;
        std::memcpy(n.bytes.data() + 12, &a4, 4);
        n.prefix = 96 + (prefix < 0 ? 32 : prefix);
    } else if (inet_pton(AF_INET6, host.c_str(), &a6) == 1) {
        if (prefix > 128) return std::nullopt;
        std::memcpy(n.bytes.data(), &a6, 16);
        n.prefix = prefix < 0 ? 128 : prefix;
    } else {
        return std::nullopt;
    }
    // Host bits past the prefix are cleared, so "10.1.2.3/8" is stored as 10.0.0.0/8.
    for (int bit = n.prefix; bit < 128; ++bit) n.bytes[bit / 8] &= static_cast<std::uint8_t>(~(0x80 >> (bit % 8)));
    return n;
}

}  // namespace board::util
