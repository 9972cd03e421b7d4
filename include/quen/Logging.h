// The library's logger: one process-wide instance that writes each entry, a
// line built from pieces, to every registered sink.
//
//   CLogEntry entry = CLoggingFactory::GetInstance().Begin(eLogInfo);
//   entry << L"Copied " << count << L" files" << L"";
//   CLoggingFactory::GetInstance().End(entry);
//
// or, closing the entry at the end of the statement:
//
//   quen::Log(eLogInfo) << L"Copied " << count << L" files";
//
// Pieces print as: wide texts as they are, narrow texts as UTF-8, integers in
// decimal, booleans as true/false, doubles like printf's %g, an ILoggable as
// the text it appends (an exception's full text).
#pragma once

#include <quen/Exceptions.h>
#include <quen/Export.h>

#include <concepts>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

enum ELogLevel : int {
    eLogError = 1,
    eLogWarning = 2,
    eLogInfo = 4,
    eLogDebug = 8,
};

// The English name of a level ("Error", "Warning", "Info", "Debug").
QUEN_API const wchar_t* LogLevelName(int level);

class QUEN_API CLogEntry {
public:
    explicit CLogEntry(int level);

    CLogEntry& Append(std::wstring_view text);
    CLogEntry& Append(const wchar_t* text);
    CLogEntry& Append(std::string_view utf8);
    CLogEntry& Append(const char* utf8);
    CLogEntry& Append(bool value);
    CLogEntry& Append(double value);
    CLogEntry& AppendSigned(long long value);
    CLogEntry& AppendUnsigned(unsigned long long value);
    CLogEntry& Append(const ILoggable& piece);

    template <typename T>
    CLogEntry& operator<<(const T& piece)
    {
        if constexpr (std::same_as<T, bool>) {
            return Append(piece);
        } else if constexpr (std::signed_integral<T> && !std::same_as<T, char> && !std::same_as<T, wchar_t>) {
            return AppendSigned(piece);
        } else if constexpr (std::unsigned_integral<T> && !std::same_as<T, wchar_t>) {
            return AppendUnsigned(piece);
        } else if constexpr (std::floating_point<T>) {
            return Append(static_cast<double>(piece));
        } else if constexpr (std::derived_from<T, ILoggable>) {
            return Append(static_cast<const ILoggable&>(piece));
        } else if constexpr (std::convertible_to<const T&, std::wstring_view>) {
            return Append(std::wstring_view(piece));
        } else {
            static_assert(std::convertible_to<const T&, std::string_view>, "not a log piece");
            return Append(std::string_view(piece));
        }
    }

    int Level() const { return m_level; }
    const std::wstring& Text() const { return m_text; }

private:
    int m_level;
    std::wstring m_text;
};

// One finished entry as the sinks receive it.
struct QUEN_API LogRecord {
    int level = eLogInfo;
    std::wstring timestamp;  // local time, "YYYY-MM-DD hh:mm:ss.mmm"
    uint32_t threadId = 0;
    std::wstring text;

    // "<timestamp> [<thread>] <Level> <text>", without a line end.
    std::wstring Format() const;
};

class QUEN_API ILogSink {
public:
    virtual ~ILogSink();
    // Called under the logger's lock: one record at a time, in order.
    virtual void Write(const LogRecord& record) = 0;
};

class QUEN_API ILogger {
public:
    virtual ~ILogger();
    virtual CLogEntry Begin(int level) = 0;
    // Stamps the entry and hands it to every sink, whole.
    virtual void End(CLogEntry& entry) = 0;
};

class QUEN_API CLoggingFactory {
public:
    static ILogger& GetInstance();

    static void AddSink(std::shared_ptr<ILogSink> sink);
    static void RemoveSink(const std::shared_ptr<ILogSink>& sink);
};

// Appends each record as one UTF-8 line to a host file, flushed per line.
class QUEN_API CFileLogSink : public ILogSink {
public:
    // Throws EFileException (OpenFailed) when the file cannot be opened.
    explicit CFileLogSink(const std::filesystem::path& file);
    ~CFileLogSink() override;
    void Write(const LogRecord& record) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Writes records of `maxLevel` and more severe (a lower number) to standard error.
class QUEN_API CStderrLogSink : public ILogSink {
public:
    explicit CStderrLogSink(int maxLevel = eLogWarning);
    void Write(const LogRecord& record) override;

private:
    int m_maxLevel;
};

class QUEN_API CCallbackLogSink : public ILogSink {
public:
    explicit CCallbackLogSink(std::function<void(const LogRecord&)> callback);
    void Write(const LogRecord& record) override;

private:
    std::function<void(const LogRecord&)> m_callback;
};

// Keeps every record in memory, for tests and for hosts that show the log.
class QUEN_API CMemoryLogSink : public ILogSink {
public:
    void Write(const LogRecord& record) override;
    std::vector<LogRecord> Records() const;
    // The texts alone, in order.
    std::vector<std::wstring> Texts() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<LogRecord> m_records;
};

namespace quen {

// An entry that ends itself at the end of the statement that built it.
class QUEN_API LogLine {
public:
    explicit LogLine(int level);
    ~LogLine();
    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;

    template <typename T>
    LogLine& operator<<(const T& piece)
    {
        m_entry << piece;
        return *this;
    }

private:
    CLogEntry m_entry;
};

inline LogLine Log(int level) { return LogLine(level); }

}  // namespace quen
