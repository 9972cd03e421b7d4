// The version check's text normalisation: any text through every helper.
// Each keeps at least one character of a text that had one.
#include "version/VersionStrings.h"

#include "support/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::wstring input = quen::fuzz::WideText(data, size);
    using Helper = void (*)(std::wstring&);
    for (const Helper helper : {quen::TrimLeadingNonAlnum, quen::TrimTrailingNonAlnum, quen::SeparatorsToDots,
                                quen::StripLeadingZeros, quen::StripLeadingZerosBeforeDigits,
                                quen::StripTrailingZeros, quen::StripTrailingDotZeros}) {
        std::wstring text = input;
        helper(text);
        quen::fuzz::Require(text.size() <= input.size(), "a helper never lengthens a text");
        quen::fuzz::Require(input.empty() || !text.empty(), "a helper keeps one character");
    }
    return 0;
}
