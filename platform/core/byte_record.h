// Little-endian binary records: numbers of 1 to 8 bytes, doubles and texts (a
// length of 4 bytes and UTF-8 bytes), written onto a string and read back
// with every read checked against the record's end.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zarvento {

inline void PutU64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void PutDouble(std::string& out, double v) { PutU64(out, std::bit_cast<std::uint64_t>(v)); }
inline void PutText(std::string& out, std::string_view text) {
    PutU32(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

// Reads a record from its start; a read past its end fails and moves nothing.
class ByteReader {
public:
    explicit ByteReader(std::string_view data) : data_(data) {}
    bool U(std::uint64_t& v, int n) {
        if (data_.size() - pos_ < static_cast<std::size_t>(n)) return false;
        v = 0;
        for (int i = 0; i < n; ++i)
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(data_[pos_ + i])) << (8 * i);
        pos_ += static_cast<std::size_t>(n);
        return true;
    }
    bool Double(double& d) {
        std::uint64_t v = 0;
        if (!U(v, 8)) return false;
        d = std::bit_cast<double>(v);
        return true;
    }
    bool Text(std::string& s) {
        std::uint64_t n = 0;
        if (!U(n, 4) || data_.size() - pos_ < n) return false;
        s.assign(data_.substr(pos_, static_cast<std::size_t>(n)));
        pos_ += static_cast<std::size_t>(n);
        return true;
    }
    // The next n bytes as they are.
    bool Bytes(std::string_view& out, std::uint64_t n) {
        if (data_.size() - pos_ < n) return false;
        out = data_.substr(pos_, static_cast<std::size_t>(n));
        pos_ += static_cast<std::size_t>(n);
        return true;
    }
    std::string_view Rest() {
        const std::string_view rest = data_.substr(pos_);
        pos_ = data_.size();
        return rest;
    }
    bool AtEnd() const { return pos_ == data_.size(); }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

}  // namespace zarvento
