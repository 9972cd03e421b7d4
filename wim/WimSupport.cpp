#include "wim/WimSupport.h"

#include <quen/Exceptions.h>
#include <quen/Logging.h>

#include "platform/Wimgapi.h"

namespace quen::wim {

std::wstring FailureText()
{
    const std::wstring error = GetLastErrorText();
    const std::wstring library = platform::WimLibraryFailure();
    return library.empty() ? error : library + L": " + error;
}

void LogFailureDetail()
{
    const std::wstring detail = platform::WimFailureDetail();
    if (!detail.empty())
        Log(eLogDebug) << L"  Detail: " << detail;
}

}  // namespace quen::wim
