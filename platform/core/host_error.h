// Errors raised by host calls, carrying an HRESULT-style code. Distinct from the
// system's own Exception: the command door treats the two differently.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zarvento {

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK_ = 0;
inline constexpr HRESULT E_POINTER_ = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_OUTOFMEMORY_ = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_NOINTERFACE_ = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_INVALIDARG_ = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT E_FAIL_ = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED_ = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT DISP_E_TYPEMISMATCH_ = static_cast<HRESULT>(0x80020005u);
inline constexpr HRESULT DISP_E_OVERFLOW_ = static_cast<HRESULT>(0x8002000Au);
inline constexpr HRESULT DISP_E_BADINDEX_ = static_cast<HRESULT>(0x8002000Bu);
inline constexpr HRESULT STG_E_FILENOTFOUND_ = static_cast<HRESULT>(0x80030002u);
inline constexpr HRESULT STG_E_ACCESSDENIED_ = static_cast<HRESULT>(0x80030005u);
inline constexpr HRESULT STG_E_LOCKVIOLATION_ = static_cast<HRESULT>(0x80030021u);
inline constexpr HRESULT STG_E_FILEALREADYEXISTS_ = static_cast<HRESULT>(0x80030050u);
inline constexpr HRESULT STG_E_INVALIDHEADER_ = static_cast<HRESULT>(0x800300FBu);
inline constexpr HRESULT STG_E_WRITEFAULT_ = static_cast<HRESULT>(0x8003001Du);
inline constexpr HRESULT STG_E_DOCFILECORRUPT_ = static_cast<HRESULT>(0x80030109u);
inline constexpr HRESULT STG_E_DOCFILETOOLARGE_ = static_cast<HRESULT>(0x80030111u);

class HostError : public std::runtime_error {
public:
    HostError(HRESULT code, const std::string& what);
    explicit HostError(HRESULT code);

    HRESULT Code() const noexcept { return code_; }
    // The text without the code, for people; what() gives the text, then
    // the code in brackets.
    const std::string& Message() const noexcept { return message_; }

private:
    HRESULT code_;
    std::string message_;
};

// "0x80004003" for messages and logs.
std::string FormatHResult(HRESULT code);

// What a person reads of a failed host call: our words, what went wrong
// (with the file it concerns), and the code last, for whoever digs further.
std::string HostErrorText(const HostError& e);

}  // namespace zarvento
