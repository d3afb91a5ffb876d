// Exception: the message copy, cut to its fixed length in characters.
#include "geometry/exception.h"

namespace zarvento {

Exception::Exception(std::string_view message) {
    // Count UTF-8 characters, not bytes: the limit is one of characters.
    std::size_t chars = 0;
    std::size_t i = 0;
    while (i < message.size() && chars < kMaxChars) {
        const unsigned char c = static_cast<unsigned char>(message[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
        if (i + len > message.size()) len = message.size() - i;
        i += len;
        ++chars;
    }
    message_.assign(message.substr(0, i));
}

}  // namespace zarvento
