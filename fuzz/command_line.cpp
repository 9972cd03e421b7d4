// The Windows command-line splitter that the POSIX launcher uses: any text.
#include "platform/Process.h"

#include "support/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::wstring line = quen::fuzz::WideText(data, size);
    std::size_t total = 0;
    for (const std::wstring& argument : quen::platform::SplitCommandLine(line))
        total += argument.size();
    quen::fuzz::Require(total <= line.size(), "arguments hold no more characters than the line");
    return 0;
}
