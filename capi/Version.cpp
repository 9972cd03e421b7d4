// quen_version and the version check.
#include "capi/Call.h"

#include <quen/VerifyVersion.h>

QUEN_C_API const quen_version_info* quen_version(void)
{
    static const quen_version_info info{sizeof(quen_version_info), QUEN_LIBRARY_VERSION, QUEN_VERSION_MAJOR,
                                        QUEN_VERSION_MINOR,        QUEN_VERSION_PATCH,   QUEN_INTERFACE_VERSION};
    return &info;
}

QUEN_C_API quen_status quen_verify_version(const wchar_t* version_path, const wchar_t* expected_version,
                                           int32_t* result, const wchar_t** found)
{
    using namespace quen::capi;
    return Call([&] {
        Required(result, "result");
        Required(found, "found");
        std::wstring text;
        *result = VerifyVersion(version_path, expected_version, text);
        *found = Returned(std::move(text));
    });
}
