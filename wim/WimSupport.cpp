#include "wim/WimSupport.h"

#include <quen/Logging.h>

#include "platform/Wimgapi.h"

namespace quen::wim {

void LogFailureDetail()
{
    const std::wstring detail = platform::WimFailureDetail();
    if (!detail.empty())
        Log(eLogDebug) << L"  Detail: " << detail;
}

}  // namespace quen::wim
