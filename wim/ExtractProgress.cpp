#include "wim/ExtractProgress.h"

#include "platform/ByteProgress.h"


namespace quen::wim {
namespace {

using platform::ByteProgressScope;

// The number in <TOTALBYTES>, or 0 when the description has none.
uint64_t TotalBytes(const std::wstring& xml)
{
    static const std::wstring open = L"<TOTALBYTES>";
    const std::size_t at = xml.find(open);
    if (at == std::wstring::npos)
        return 0;
    uint64_t total = 0;
    for (std::size_t i = at + open.size(); i < xml.size() && xml[i] >= L'0' && xml[i] <= L'9'; ++i) {
        const uint64_t digit = static_cast<uint64_t>(xml[i] - L'0');
        if (total > (UINT64_MAX - digit) / 10)
            return 0;
        total = total * 10 + digit;
    }
    return total;
}

}  // namespace

ExtractProgress::ExtractProgress(platform::WimHandle file, const std::wstring& item, const std::wstring& imageXml,
                                 uint64_t packageSize)
{
    if (!ByteProgressScope::Active())
        return;
    m_total = TotalBytes(imageXml);
    if (m_total == 0)
        m_total = packageSize;
    ByteProgressScope::Begin(item, m_total);
    // A procedure travels as a FARPROC and is called as what it is.
    const auto proc = reinterpret_cast<platform::WimGenericProc>(reinterpret_cast<void (*)()>(&OnMessage));
    if (platform::WIMRegisterMessageCallback(file, proc, this) != platform::INVALID_CALLBACK_VALUE)
        m_file = file;
}

ExtractProgress::~ExtractProgress()
{
    if (m_file)
        platform::WIMUnregisterMessageCallback(
            m_file, reinterpret_cast<platform::WimGenericProc>(reinterpret_cast<void (*)()>(&OnMessage)));
}

uint32_t ExtractProgress::OnMessage(uint32_t message, uintptr_t wParam, intptr_t, void* self)
{
    if (message != platform::WIM_MSG_PROGRESS)
        return platform::WIM_MSG_SUCCESS;
    const uint64_t total = static_cast<ExtractProgress*>(self)->m_total;
    const uint64_t percent = wParam > 100 ? 100 : wParam;
    const uint64_t done = total / 100 * percent + total % 100 * percent / 100;
    return ByteProgressScope::Reach(done) ? platform::WIM_MSG_SUCCESS : platform::WIM_MSG_ABORT_IMAGE;
}

}  // namespace quen::wim
