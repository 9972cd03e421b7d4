// What a call throws, for tests that check what a failure carries: the
// exception of type E, or nothing when the call returns.
#pragma once

#include <optional>
#include <string>

namespace quen::test {

template <typename E, typename Call>
std::optional<E> Thrown(Call&& call)
{
    try {
        call();
    } catch (const E& e) {
        return e;
    }
    return std::nullopt;
}

// The message of what a call throws as E, or "(no exception)".
template <typename E, typename Call>
std::wstring ThrownMessage(Call&& call)
{
    const std::optional<E> e = Thrown<E>(call);
    return e ? e->Message() : L"(no exception)";
}

}  // namespace quen::test
