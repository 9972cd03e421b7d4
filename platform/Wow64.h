// WOW64 file-system redirection: a 32-bit program on 64-bit Windows sees
// SysWOW64 where it names System32 unless it turns redirection off. Where
// there is no redirection (a 64-bit process, the POSIX personality) this
// changes nothing.
#pragma once

namespace quen::platform {

// Turns the calling thread's redirection off while it lives and restores the
// previous state when it ends.
class ScopedFsRedirectionOff {
public:
    ScopedFsRedirectionOff();
    ~ScopedFsRedirectionOff();
    ScopedFsRedirectionOff(const ScopedFsRedirectionOff&) = delete;
    ScopedFsRedirectionOff& operator=(const ScopedFsRedirectionOff&) = delete;

private:
    void* m_saved = nullptr;
    bool m_turnedOff = false;
};

}  // namespace quen::platform
