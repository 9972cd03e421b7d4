#include "platform/ByteProgress.h"

#include <utility>

namespace quen::platform {
namespace {

thread_local ByteProgressScope* t_scope = nullptr;

}  // namespace

ByteProgressScope::ByteProgressScope(Sink sink) : m_sink(std::move(sink)), m_outer(t_scope) { t_scope = this; }

ByteProgressScope::~ByteProgressScope() { t_scope = m_outer; }

bool ByteProgressScope::Active() { return t_scope != nullptr; }

void ByteProgressScope::Begin(const std::wstring& item, uint64_t total)
{
    if (!t_scope)
        return;
    t_scope->m_item = item;
    t_scope->m_total = total;
    t_scope->m_done = 0;
    if (!Reach(0))
        RethrowPending();
}

bool ByteProgressScope::Advance(uint64_t bytes) noexcept
{
    return !t_scope || Reach(t_scope->m_done + bytes);
}

bool ByteProgressScope::Reach(uint64_t done) noexcept
{
    ByteProgressScope* scope = t_scope;
    if (!scope)
        return true;
    if (scope->m_pending)
        return false;
    // A file that grew while it was copied still ends at its step's size.
    scope->m_done = done < scope->m_total ? done : scope->m_total;
    try {
        scope->m_sink(scope->m_item, scope->m_done, scope->m_total);
        return true;
    } catch (...) {
        scope->m_pending = std::current_exception();
        return false;
    }
}

uint64_t ByteProgressScope::Done() { return t_scope ? t_scope->m_done : 0; }

void ByteProgressScope::RethrowPending()
{
    if (t_scope && t_scope->m_pending)
        std::rethrow_exception(std::exchange(t_scope->m_pending, nullptr));
}

}  // namespace quen::platform
