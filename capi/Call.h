// What every function of the C interface shares: the calling thread's last
// error, the texts handed back to it, and the guard that turns whatever the
// C++ side throws into a status.
#pragma once

#include <quen/quen.h>

#include <stdexcept>
#include <string>
#include <type_traits>

namespace quen::capi {

// A NULL handle or required pointer, a bad index: QUEN_ERROR_INVALID_ARGUMENT.
struct InvalidArgument : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};
// The library declined the request: QUEN_ERROR_REFUSED.
struct Refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

template <typename T>
T& Required(T* pointer, const char* name)
{
    if (!pointer)
        throw InvalidArgument(std::string(name) + " is NULL");
    return *pointer;
}

inline std::wstring Text(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }
inline std::wstring RequiredText(const wchar_t* text, const char* name) { return &Required(text, name); }

// Makes `text` the thread's returned text number `slot` and gives its
// pointer, valid until the thread's next call.
const wchar_t* Returned(std::wstring text, int slot = 0);

// Clears the last error, runs `body` and returns QUEN_OK, or records what
// it threw as the last error and returns that error's status.
quen_status Guard(void (*body)(void*), void* state);

template <typename Body>
quen_status Call(Body&& body)
{
    using B = std::remove_reference_t<Body>;
    return Guard([](void* state) { (*static_cast<B*>(state))(); }, &body);
}

}  // namespace quen::capi
