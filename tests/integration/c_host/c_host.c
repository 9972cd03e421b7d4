/* A host written in C over quen.h alone: it runs one installation from a
 * recovery folder and checks what the events said.
 *   c_host DATABASE SOURCE DESTINATION
 * The paths are the library's (Windows) ones; on Linux QUEN_ROOT and
 * QUEN_DRIVE_<letter> place them on the host. It prints "c host: completed, N
 * module outcomes, M setup failures" and exits 0 when the run completed and
 * every event was as a host expects. */
#include <quen/quen.h>

#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct run_record {
    int progress_events;
    double last_percent;
    int progress_went_back;
    int first_action;
    int finished_events;
    int status;
    int outcomes;
    int setup_failures;
    int failed_outcomes;
    int disc_requests;
} run_record;

static void on_progress(void* context, const quen_progress_event* event)
{
    run_record* run = (run_record*)context;
    run->progress_went_back |= event->percent < run->last_percent;
    run->last_percent = event->percent;
    ++run->progress_events;
}

static void on_status(void* context, const quen_status_event* event)
{
    run_record* run = (run_record*)context;
    if (run->first_action < 0)
        run->first_action = event->action;
}

static void on_setup_failed(void* context, const quen_setup_failed_event* event)
{
    ++((run_record*)context)->setup_failures;
    printf("setup of %ls failed with exit code %d\n", event->label, (int)event->return_code);
}

/* A recovery folder holds every disc: no request is expected. */
static void on_disc_request(void* context, quen_disc_request_event* event)
{
    ++((run_record*)context)->disc_requests;
    event->disc_in = 0;
}

static void on_finished(void* context, const quen_finished_event* event)
{
    run_record* run = (run_record*)context;
    ++run->finished_events;
    run->status = event->status;
    if (event->status != QUEN_RUN_COMPLETED)
        fprintf(stderr, "c host: the run ended with status %d: %ls\n", (int)event->status, event->exception->text);
}

static void on_module_outcome(void* context, const quen_module_outcome_event* event)
{
    run_record* run = (run_record*)context;
    ++run->outcomes;
    run->failed_outcomes += event->outcome == QUEN_MODULE_SETUP_FAILED;
    printf("module %ls: outcome %d, code %d\n", event->label, (int)event->outcome, (int)event->code);
}

/* True when the call failed, after saying so. */
static int failed(quen_status status, const char* call)
{
    if (status != QUEN_OK)
        fprintf(stderr, "c host: %s: status %d: %ls\n", call, (int)status, quen_last_error()->exception->text);
    return status != QUEN_OK;
}

static int check(int ok, const char* what)
{
    if (!ok)
        fprintf(stderr, "c host: %s\n", what);
    return ok;
}

static wchar_t* wide(const char* text)
{
    size_t length = mbstowcs(NULL, text, 0);
    wchar_t* out = (wchar_t*)calloc(length + 1, sizeof(wchar_t));
    if (out && length != (size_t)-1)
        mbstowcs(out, text, length + 1);
    return out;
}

int main(int argc, char** argv)
{
    setlocale(LC_ALL, "");
    const quen_version_info* version = quen_version();
    if (!check(version->size >= sizeof(quen_version_info) && version->interface_version == QUEN_INTERFACE_VERSION,
               "the library implements another interface version"))
        return 1;
    if (argc != 4) {
        fprintf(stderr, "usage: c_host DATABASE SOURCE DESTINATION\n");
        return 2;
    }
    wchar_t* database_path = wide(argv[1]);
    wchar_t* source = wide(argv[2]);
    wchar_t* destination = wide(argv[3]);

    run_record run;
    memset(&run, 0, sizeof run);
    run.status = -1;
    run.first_action = -1;
    quen_database* database = NULL;
    quen_installer* installer = NULL;
    int ok = !failed(quen_database_open(database_path, &database), "quen_database_open") &&
             !failed(quen_installer_create(database, NULL, &installer), "quen_installer_create") &&
             !failed(quen_installer_set_flags(installer, 1, 0), "quen_installer_set_flags") &&
             !failed(quen_installer_set_paths(installer, source, destination, NULL, NULL), "set paths") &&
             !failed(quen_installer_set_progress_callback(installer, on_progress, &run), "progress") &&
             !failed(quen_installer_set_status_callback(installer, on_status, &run), "status") &&
             !failed(quen_installer_set_setup_failed_callback(installer, on_setup_failed, &run), "setup failed") &&
             !failed(quen_installer_set_disc_request_callback(installer, on_disc_request, &run), "disc request") &&
             !failed(quen_installer_set_finished_callback(installer, on_finished, &run), "finished") &&
             !failed(quen_installer_set_module_outcome_callback(installer, on_module_outcome, &run), "outcome") &&
             !failed(quen_installer_install(installer, L"QRD"), "quen_installer_install") &&
             !failed(quen_installer_wait(installer), "quen_installer_wait");
    if (installer)
        ok = !failed(quen_installer_destroy(installer), "quen_installer_destroy") && ok;
    if (database)
        ok = !failed(quen_database_close(database), "quen_database_close") && ok;
    free(database_path);
    free(source);
    free(destination);
    if (!ok || !check(run.finished_events == 1, "finished was not reported exactly once") ||
        !check(run.status == QUEN_RUN_COMPLETED, "the run did not complete") ||
        !check(run.first_action == QUEN_ACTION_STARTED, "the first status was not the start") ||
        !check(run.progress_events > 1 && !run.progress_went_back && run.last_percent == 100.0,
               "progress did not climb to 100 %") ||
        !check(run.disc_requests == 0, "a recovery folder asked for a disc") ||
        !check(run.failed_outcomes == run.setup_failures, "setup failures and module outcomes disagree"))
        return 1;
    printf("c host: completed, %d module outcomes, %d setup failures\n", run.outcomes, run.setup_failures);
    return 0;
}
