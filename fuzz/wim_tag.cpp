// The image tags read from the end of a WIM file: any file, any tag name.
// The reader returns false for a file without a readable description.
#include <quen/WIMFile.h>

#include "support/FuzzInput.h"

#include <iterator>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // The first byte picks the tag; the file is the rest.
    static const wchar_t* const kTags[] = {L"RELEASEID", L"NAME", L"DESCRIPTION", L"FLAGS", L"IMAGE", L""};
    if (size == 0)
        return 0;
    const wchar_t* tag = kTags[data[0] % std::size(kTags)];
    const std::wstring path = quen::fuzz::WriteInput(data + 1, size - 1, L"image.wim");
    std::wstring value;
    if (CWIMFile::GetWimTag(path.c_str(), tag, value))
        quen::fuzz::Require(value.find(L'\0') == std::wstring::npos, "a tag value ends at its first zero");
    CWIMFile::MatchsReleaseID(path.c_str(), L"R-1", value);
    return 0;
}
