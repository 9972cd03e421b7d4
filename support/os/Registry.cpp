// CRegistry: text values in the native view of the platform registry.
#include <quen/OsServices.h>

#include "platform/Errors.h"
#include "platform/Registry.h"

namespace {

using quen::platform::RegRoot;

RegRoot ToRoot(ERegistryRoot root)
{
    switch (root) {
    case ERegistryRoot::ClassesRoot: return RegRoot::ClassesRoot;
    case ERegistryRoot::CurrentUser: return RegRoot::CurrentUser;
    case ERegistryRoot::LocalMachine: return RegRoot::LocalMachine;
    case ERegistryRoot::Users: return RegRoot::Users;
    case ERegistryRoot::CurrentConfig: return RegRoot::CurrentConfig;
    }
    return RegRoot::LocalMachine;
}

}  // namespace

bool CRegistry::GetString(ERegistryRoot root, const std::wstring& key, const std::wstring& value, std::wstring& text)
{
    namespace platform = quen::platform;
    text.clear();
    platform::RegValue data;
    uint32_t code = platform::RegRead(ToRoot(root), key, value, platform::RegView::Native, data);
    if (code == platform::err::Success) {
        if (data.type == platform::regtype::Sz || data.type == platform::regtype::ExpandSz) {
            text = platform::RegValueText(data);
            return true;
        }
        code = platform::err::InvalidData;
    }
    platform::SetLastErrorCode(code);
    return false;
}

bool CRegistry::SetString(ERegistryRoot root, const std::wstring& key, const std::wstring& value,
                          const std::wstring& text)
{
    namespace platform = quen::platform;
    const uint32_t code =
        platform::RegWrite(ToRoot(root), key, value, platform::RegView::Native, platform::RegString(text));
    if (code != platform::err::Success) {
        platform::SetLastErrorCode(code);
        return false;
    }
    return true;
}
