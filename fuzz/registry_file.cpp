// The registry store's file text: any bytes, parsed at once and in two
// pieces as the store reads a file that grew (cut in the middle, maybe within
// a line). Both readings agree: the parser never consumes an incomplete last
// line and reports a malformed line with its number.
#include "platform/personality/RegFile.h"

#include "support/FuzzInput.h"

namespace {

using namespace quen::platform::personality;

class Collector : public regfile::ParseSink {
public:
    void OnKey(const regfile::KeyPath& key) override { Check(key); }
    void OnKeyDeletion(const regfile::KeyPath& key) override { Check(key); }
    void OnValue(const std::wstring&, quen::platform::RegValue) override { ++values; }
    void OnValueDeletion(const std::wstring&) override { ++values; }
    std::size_t values = 0;

private:
    static void Check(const regfile::KeyPath& key)
    {
        for (const std::wstring& name : key)
            quen::fuzz::Require(!name.empty(), "no key name is empty");
    }
};

struct Reading {
    bool parsed = true;
    std::size_t consumed = 0;
    uint64_t errorLine = 0;
    std::size_t values = 0;
};

Reading Read(std::string_view bytes, std::size_t cut)
{
    regfile::Parser parser(quen::platform::RegRoot::LocalMachine);
    Collector sink;
    Reading reading;
    for (const std::size_t end : {cut, bytes.size()}) {
        std::size_t consumed = 0;
        regfile::ParseError error;
        const std::string_view piece = bytes.substr(reading.consumed, end - reading.consumed);
        reading.parsed = parser.Parse(piece, sink, consumed, error);
        quen::fuzz::Require(consumed <= piece.size(), "the parser consumes only the bytes it was given");
        reading.consumed += consumed;
        if (!reading.parsed) {
            quen::fuzz::Require(error.line > 0 && !error.reason.empty(), "an error names its line and reason");
            reading.errorLine = error.line;
            break;
        }
    }
    reading.values = sink.values;
    return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Reading whole = Read(bytes, size);
    const Reading pieces = Read(bytes, size / 2);
    quen::fuzz::Require(whole.parsed == pieces.parsed && whole.consumed == pieces.consumed &&
                            whole.errorLine == pieces.errorLine && whole.values == pieces.values,
                        "a file read in two pieces reads as when read at once");
    return 0;
}
