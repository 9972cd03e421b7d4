#include "JsonEvents.h"

#include "ModuleOutcomes.h"
#include "Text.h"
#include "UserPaths.h"

#include <nlohmann/json.hpp>

namespace quen::host {

namespace {

using json = nlohmann::ordered_json;

json Exception(const EBaseException& e)
{
    if (e.Message().empty() && e.ErrorCode() == 0)
        return nullptr;
    return {{"message", Utf8(e.Message())}, {"source", Utf8(e.SourceFile())}, {"line", e.Line()},
            {"code", e.ErrorCode()},        {"text", Utf8(e.GetText())}};
}

json Event(const char* name, double elapsed)
{
    return {{"event", name}, {"elapsed", elapsed}};
}

const char* ActionName(int action)
{
    switch (action) {
    case 0: return "started";
    case 1: return "copied";
    case 2: return "installing";
    default: return "unknown";
    }
}

const char* StatusName(int status)
{
    switch (status) {
    case 0: return "completed";
    case 1: return "failed";
    case 2: return "cancelled";
    default: return "unknown";
    }
}

void Write(std::FILE* out, const json& event)
{
    std::fprintf(out, "%s\n", event.dump().c_str());
    std::fflush(out);
}

}  // namespace

JsonEvents::JsonEvents(std::FILE* out) : m_out(out) {}

void JsonEvents::Progress(double elapsed, double percent)
{
    json event = Event("progress", elapsed);
    event["percent"] = percent;
    Write(m_out, event);
}

void JsonEvents::Status(double elapsed, int action, const std::wstring& text)
{
    json event = Event("status", elapsed);
    event["action"] = action;
    event["name"] = ActionName(action);
    event["text"] = Utf8(text);
    Write(m_out, event);
}

void JsonEvents::SetupFailed(double elapsed, const std::wstring& module, int code, const EBaseException& exception)
{
    json event = Event("setupFailed", elapsed);
    event["module"] = Utf8(module);
    event["code"] = code;
    event["exception"] = Exception(exception);
    Write(m_out, event);
}

void JsonEvents::DiscRequest(double elapsed, int disc, bool answer)
{
    json event = Event("discRequest", elapsed);
    event["disc"] = disc;
    event["answer"] = answer;
    Write(m_out, event);
}

void JsonEvents::ModuleOutcome(double elapsed, const ModuleOutcomeEventData& outcome)
{
    json event = Event("moduleOutcome", elapsed);
    event["module"] = Utf8(outcome.label);
    event["outcome"] = ModuleOutcomes::Name(outcome.outcome);
    event["code"] = outcome.code;
    event["expectedReleaseId"] = Utf8(outcome.expectedReleaseId);
    event["foundReleaseId"] = Utf8(outcome.foundReleaseId);
    Write(m_out, event);
}

void JsonEvents::DetailProgress(double elapsed, const std::wstring& item, uint64_t done, uint64_t total)
{
    json event = Event("detailProgress", elapsed);
    event["item"] = Utf8(item);
    event["done"] = done;
    event["total"] = total;
    Write(m_out, event);
}

void JsonEvents::Finished(double elapsed, int status, const EBaseException& exception)
{
    json event = Event("finished", elapsed);
    event["status"] = status;
    event["outcome"] = StatusName(status);
    event["exception"] = Exception(exception);
    Write(m_out, event);
}

void JsonEvents::Error(double elapsed, const std::string& message, int exitCode)
{
    json event = Event("error", elapsed);
    event["message"] = message;
    event["exitCode"] = exitCode;
    Write(m_out, event);
}

std::string Readable(const EBaseException& exception)
{
    std::string text = Utf8(exception.Message());
    const std::string full = Utf8(exception.GetText());
    const std::size_t line = full.find("\nLine: ");
    const std::size_t more = line == std::string::npos ? line : full.find('\n', line + 1);
    if (more != std::string::npos && more + 1 < full.size())
        text += " " + full.substr(more + 1);
    return text;
}

void ReportError(std::FILE* json, const std::string& message, int exitCode)
{
    const std::string text = UserPaths(message);
    std::fprintf(stderr, "quen-install: %s\n", text.c_str());
    if (json)
        JsonEvents(json).Error(0.0, text, exitCode);
}

}  // namespace quen::host
