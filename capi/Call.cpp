#include "capi/Call.h"

#include "foundation/WideString.h"

#include <quen/Exceptions.h>
#include <quen/InstallDB.h>

#include <array>
#include <new>

namespace quen::capi {

namespace {

// The thread's last error, with the texts its pointers point into.
struct LastError {
    std::wstring text, message, source, directory, fileName;
    quen_exception exception{};
    quen_error error{};

    void Set(quen_status status, const EBaseException* thrown, std::wstring what)
    {
        text = thrown ? thrown->GetText() : std::move(what);
        message = thrown ? thrown->Message() : text;
        source = thrown ? thrown->SourceFile() : std::wstring();
        const auto* file = dynamic_cast<const EFileException*>(thrown);
        directory = file ? file->Directory() : std::wstring();
        fileName = file ? file->FileName() : std::wstring();
        exception = {sizeof(quen_exception), text.c_str(), message.c_str(), source.c_str(),
                     thrown ? thrown->Line() : 0, thrown ? thrown->ErrorCode() : 0};
        error = {sizeof(quen_error), status, &exception, file ? file->Kind() : -1, directory.c_str(),
                 fileName.c_str()};
    }
};

LastError& ThreadError()
{
    thread_local LastError last = [] {
        LastError fresh;
        fresh.Set(QUEN_OK, nullptr, {});
        return fresh;
    }();
    return last;
}

std::wstring What(const std::exception& e) { return FromUtf8Lossy(e.what()); }

}  // namespace

const wchar_t* Returned(std::wstring text, int slot)
{
    thread_local std::array<std::wstring, 2> texts;
    texts.at(static_cast<std::size_t>(slot)) = std::move(text);
    return texts[static_cast<std::size_t>(slot)].c_str();
}

quen_status Guard(void (*body)(void*), void* state)
{
    LastError& last = ThreadError();
    try {
        last.Set(QUEN_OK, nullptr, {});
        body(state);
        return QUEN_OK;
    } catch (const EFileException& e) {
        last.Set(QUEN_ERROR_FILE, &e, {});
    } catch (const EDataException& e) {
        last.Set(QUEN_ERROR_DATA, &e, {});
    } catch (const ELibraryException& e) {
        last.Set(QUEN_ERROR_LIBRARY, &e, {});
    } catch (const EBaseException& e) {
        last.Set(QUEN_ERROR_OTHER, &e, {});
    } catch (const std::invalid_argument& e) {
        last.Set(QUEN_ERROR_INVALID_ARGUMENT, nullptr, What(e));
    } catch (const Refused& e) {
        last.Set(QUEN_ERROR_REFUSED, nullptr, What(e));
    } catch (const std::bad_alloc&) {
        last.Set(QUEN_ERROR_OTHER, nullptr, L"out of memory");
    } catch (const std::exception& e) {
        last.Set(QUEN_ERROR_OTHER, nullptr, What(e));
    } catch (...) {
        last.Set(QUEN_ERROR_OTHER, nullptr, L"unknown error");
    }
    return last.error.status;
}

}  // namespace quen::capi

QUEN_C_API const quen_error* quen_last_error(void) { return &quen::capi::ThreadError().error; }
