// The exceptions every part of the library throws, and the system's texts for
// Windows error codes.
//
// An exception carries a message, the place that threw it and an optional
// error code, and composes one full text from them on first demand:
//
//   message
//   Error: <code> (0x<code in 8 hex digits>)     only when the code is not 0
//   ErrorMessage: message                        only when the message is not empty
//   Source: <source file>                        only when not empty
//   Line: <line>                                 only when not 0
//   <file sentence>                              EFileException, kinds 0 to 7
//
// Once composed the text is kept: later changes to the fields do not show.
#pragma once

#include <quen/Export.h>

#include <cstdint>
#include <string>

class CLogEntry;

// Something that can stand as one piece of a log line.
class QUEN_API ILoggable {
public:
    virtual CLogEntry& LogTo(CLogEntry& entry) const = 0;

protected:
    ~ILoggable() = default;
};

class QUEN_API EBaseException : public ILoggable {
public:
    // Null texts count as empty.
    EBaseException(const wchar_t* message, const wchar_t* sourceFile, int32_t line);
    EBaseException(const std::wstring& message, const wchar_t* sourceFile, int32_t line);

    // Appends GetText() to the entry and returns the entry.
    CLogEntry& LogTo(CLogEntry& entry) const override;
    // The full text, composed on first demand.
    virtual const std::wstring GetText() const;
    // (Re)composes the text from the fields.
    virtual void BuildText() const;

    const std::wstring& Message() const { return m_message; }
    const std::wstring& SourceFile() const { return m_sourceFile; }
    int32_t Line() const { return m_line; }
    uint32_t ErrorCode() const { return m_errorCode; }

    void SetMessage(const std::wstring& message) { m_message = message; }
    void SetErrorCode(uint32_t code) { m_errorCode = code; }

protected:
    std::wstring m_message;
    std::wstring m_sourceFile;
    int32_t m_line = 0;
    mutable std::wstring m_text;
    uint32_t m_errorCode = 0;
};

// Errors that the library's own code detects.
class QUEN_API ELibraryException : public EBaseException {
public:
    using EBaseException::EBaseException;
};

class QUEN_API EFileException : public ELibraryException {
public:
    enum EKind : int32_t {
        CreateFailed = 0,
        OpenFailed = 1,
        NotFound = 2,
        BadPath = 3,
        CloseFailed = 4,
        ReadFailed = 5,
        WriteFailed = 6,
        DeleteFailed = 7,
        ImageApiFailed = 10,
    };

    EFileException(const wchar_t* message, const wchar_t* sourceFile, int32_t line, int32_t kind,
                   const wchar_t* directory, const wchar_t* fileName);
    EFileException(const std::wstring& message, const wchar_t* sourceFile, int32_t line, int32_t kind,
                   const std::wstring& directory, const std::wstring& fileName = std::wstring());

    void BuildText() const override;

    int32_t Kind() const { return m_kind; }
    const std::wstring& Directory() const { return m_directory; }
    const std::wstring& FileName() const { return m_fileName; }

protected:
    int32_t m_kind = 0;
    std::wstring m_directory;
    std::wstring m_fileName;
};

// The system's text for a Windows error code, with the system's own line end;
// empty when the system has none.
QUEN_API std::wstring GetErrorText(uint32_t code);
// GetErrorText of the calling thread's last error, taken at the call.
QUEN_API std::wstring GetLastErrorText();
