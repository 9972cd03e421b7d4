// Every event of a run as one JSON object per line, for dashboards. Each
// object has "event" and "elapsed" (seconds since the run started):
//
//   {"event":"progress","elapsed":1.2,"percent":42.5}
//   {"event":"status","elapsed":1.3,"action":2,"name":"installing","text":"Power Manager"}
//   {"event":"setupFailed","elapsed":2.0,"module":"Legacy tool","code":3,"exception":null}
//   {"event":"discRequest","elapsed":0.4,"disc":2,"answer":true}
//   {"event":"moduleOutcome","elapsed":2.1,"module":"Pack","outcome":"releaseIdMismatch","code":0,
//    "expectedReleaseId":"R-2","foundReleaseId":"R-1"}
//   {"event":"detailProgress","elapsed":0.9,"item":"S:\\Modules\\Tool\\","done":1048576,"total":3145728}
//   {"event":"finished","elapsed":3.1,"status":0,"outcome":"completed","exception":null}
//   {"event":"error","elapsed":0,"message":"--log: empty","exitCode":64}
//
// An exception is {"message","source","line","code","text"}; null when the
// event carries none.
#pragma once

#include <quen/Exceptions.h>
#include <quen/Installer.h>

#include <cstdio>
#include <string>

namespace quen::host {

class JsonEvents {
public:
    explicit JsonEvents(std::FILE* out);

    void Progress(double elapsed, double percent);
    void Status(double elapsed, int action, const std::wstring& text);
    void SetupFailed(double elapsed, const std::wstring& module, int code, const EBaseException& exception);
    void DiscRequest(double elapsed, int disc, bool answer);
    void ModuleOutcome(double elapsed, const ModuleOutcomeEventData& outcome);
    void DetailProgress(double elapsed, const std::wstring& item, uint64_t done, uint64_t total);
    void Finished(double elapsed, int status, const EBaseException& exception);
    // What ended the program before or outside a run, with its exit code.
    void Error(double elapsed, const std::string& message, int exitCode);

private:
    std::FILE* m_out;
};

// An exception as a person reads it: its message and the sentence its text
// adds about a file, without the fields for the log.
std::string Readable(const EBaseException& exception);

// Tells what ended the program: "quen-install: <message>" on standard error
// and, when `json` is not null, the error event on it; both name the user's
// paths.
void ReportError(std::FILE* json, const std::string& message, int exitCode);

}  // namespace quen::host
