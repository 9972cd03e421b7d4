#include <quen/Exceptions.h>

#include "foundation/WideString.h"

namespace {

std::wstring OrEmpty(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

// Sentences of the file kinds 0 to 7: the file name, then the directory.
const wchar_t* const kFileSentences[] = {
    L"\nUnable to create file %s in directory %s.",
    L"\nUnable to open file %s in directory %s.",
    L"\nThe file %s doesn't exist in directory %s.",
    L"\nBad path for file %s in directory %s.",
    L"\nUnable to close file %s in directory %s.",
    L"\nUnable to read from file %s in directory %s.",
    L"\nUnable to write to file %s in directory %s.",
    L"\nUnable to delete file %s from directory %s.",
};

}  // namespace

EBaseException::EBaseException(const wchar_t* message, const wchar_t* sourceFile, int32_t line)
    : m_message(OrEmpty(message)), m_sourceFile(OrEmpty(sourceFile)), m_line(line)
{
}

EBaseException::EBaseException(const std::wstring& message, const wchar_t* sourceFile, int32_t line)
    : m_message(message), m_sourceFile(OrEmpty(sourceFile)), m_line(line)
{
}

const std::wstring EBaseException::GetText() const
{
    if (m_text.empty())
        BuildText();
    return m_text;
}

void EBaseException::BuildText() const
{
    m_text = m_message;
    if (m_errorCode != 0)
        m_text += quen::Format(L"\nError: %ld (0x%08.8lx)", static_cast<int32_t>(m_errorCode), m_errorCode);
    if (!m_message.empty())
        m_text += quen::Format(L"\nErrorMessage: %s", m_message);
    if (!m_sourceFile.empty())
        m_text += quen::Format(L"\nSource: %s", m_sourceFile);
    if (m_line != 0)
        m_text += quen::Format(L"\nLine: %d", m_line);
}

EFileException::EFileException(const wchar_t* message, const wchar_t* sourceFile, int32_t line, int32_t kind,
                               const wchar_t* directory, const wchar_t* fileName)
    : ELibraryException(message, sourceFile, line), m_kind(kind), m_directory(OrEmpty(directory)),
      m_fileName(OrEmpty(fileName))
{
}

EFileException::EFileException(const std::wstring& message, const wchar_t* sourceFile, int32_t line, int32_t kind,
                               const std::wstring& directory, const std::wstring& fileName)
    : ELibraryException(message, sourceFile, line), m_kind(kind), m_directory(directory), m_fileName(fileName)
{
}

void EFileException::BuildText() const
{
    EBaseException::BuildText();
    if (m_kind >= 0 && m_kind <= 7)
        m_text += quen::Format(kFileSentences[m_kind], m_fileName, m_directory);
}
