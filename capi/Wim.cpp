// A WIM package's image count, tag and scrambled state.
#include "capi/Call.h"

#include <quen/WIMFile.h>

QUEN_C_API quen_status quen_wim_image_count(const wchar_t* path, const wchar_t* work_dir, uint32_t* count)
{
    using namespace quen::capi;
    return Call([&] {
        Required(count, "count");
        CWIMFile wim(&Required(path, "path"), work_dir, nullptr);
        *count = wim.GetImageCount();
    });
}

QUEN_C_API quen_status quen_wim_tag(const wchar_t* path, const wchar_t* tag, const wchar_t** value)
{
    using namespace quen::capi;
    return Call([&] {
        Required(value, "value") = nullptr;
        std::wstring text;
        if (CWIMFile::GetWimTag(&Required(path, "path"), &Required(tag, "tag"), text))
            *value = Returned(std::move(text));
    });
}

QUEN_C_API quen_status quen_wim_is_scrambled(const wchar_t* path, int32_t* scrambled)
{
    using namespace quen::capi;
    return Call([&] { Required(scrambled, "scrambled") = CWIMFile::IsEncrypted(path) ? 1 : 0; });
}
