// Exception: the system's own failure object, thrown by value by the checked
// array and caught at the command door. Only its message is read.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace zarvento {

class Exception : public std::exception {
public:
    // The message holds at most 1023 characters (the rest is cut at a
    // character boundary).
    explicit Exception(std::string_view message);

    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

    static constexpr std::size_t kMaxChars = 1023;

private:
    std::string message_;
};

}  // namespace zarvento
