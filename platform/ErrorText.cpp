// The exceptions declare these texts but sit below the platform: the system's
// error texts are the platform's to give.
#include <quen/Exceptions.h>

#include "platform/Errors.h"

std::wstring GetErrorText(uint32_t code) { return quen::platform::SystemErrorText(code); }

std::wstring GetLastErrorText() { return GetErrorText(quen::platform::LastError()); }
