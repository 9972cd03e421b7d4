/* A host written in C over quen.h alone: it runs one installation from a
 * recovery folder and checks what the events said.
 *
 *   c_host [--root DIR] [--map X=DIR]... DATABASE SOURCE DESTINATION
 *
 * DATABASE, SOURCE and DESTINATION are the library's (Windows) paths; on
 * Linux --root and --map place them on the host. It prints one line,
 * "c host: completed, N module outcomes, M setup failures", and exits 0
 * when the run completed and every event was as a host expects. */
#include <quen/quen.h>

#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

typedef struct run_record {
    int progress_events;
    double last_percent;
    int progress_went_back;
    int statuses;
    int first_action;
    int finished_events;
    int status;
    wchar_t failure[1024];
    int outcomes;
    int setup_failures;
    int failed_outcomes;
    int disc_requests;
} run_record;

static void on_progress(void* context, const quen_progress_event* event)
{
    run_record* run = (run_record*)context;
    if (event->percent < run->last_percent)
        run->progress_went_back = 1;
    run->last_percent = event->percent;
    ++run->progress_events;
}

static void on_status(void* context, const quen_status_event* event)
{
    run_record* run = (run_record*)context;
    if (run->statuses++ == 0)
        run->first_action = event->action;
}

static void on_setup_failed(void* context, const quen_setup_failed_event* event)
{
    run_record* run = (run_record*)context;
    ++run->setup_failures;
    printf("setup of %ls failed with exit code %d\n", event->label, (int)event->return_code);
}

static void on_disc_request(void* context, quen_disc_request_event* event)
{
    /* A recovery folder holds every disc: no request is expected. */
    ++((run_record*)context)->disc_requests;
    event->disc_in = 0;
}

static void on_finished(void* context, const quen_finished_event* event)
{
    run_record* run = (run_record*)context;
    ++run->finished_events;
    run->status = event->status;
    wcsncpy(run->failure, event->exception->text, sizeof run->failure / sizeof run->failure[0] - 1);
}

static void on_module_outcome(void* context, const quen_module_outcome_event* event)
{
    run_record* run = (run_record*)context;
    ++run->outcomes;
    if (event->outcome == QUEN_MODULE_SETUP_FAILED)
        ++run->failed_outcomes;
    printf("module %ls: outcome %d, code %d\n", event->label, (int)event->outcome, (int)event->code);
}

static int failed(quen_status status, const char* call)
{
    if (status == QUEN_OK)
        return 0;
    fprintf(stderr, "c host: %s: status %d: %ls\n", call, (int)status, quen_last_error()->exception->text);
    return 1;
}

static wchar_t* wide(const char* text)
{
    size_t length = mbstowcs(NULL, text, 0);
    wchar_t* out = (wchar_t*)calloc(length + 1, sizeof(wchar_t));
    if (out && length != (size_t)-1)
        mbstowcs(out, text, length + 1);
    return out;
}

/* --root and --map; the index of the first other argument, or 0 on error. */
static int place_machine(int argc, char** argv)
{
    int i = 1;
    for (; i + 1 < argc; i += 2) {
        quen_status status;
        if (strcmp(argv[i], "--root") == 0) {
            wchar_t* root = wide(argv[i + 1]);
            status = quen_set_machine_root(root);
            free(root);
        } else if (strcmp(argv[i], "--map") == 0 && strlen(argv[i + 1]) > 2 && argv[i + 1][1] == '=') {
            wchar_t* folder = wide(argv[i + 1] + 2);
            status = quen_map_drive((wchar_t)argv[i + 1][0], folder);
            free(folder);
        } else {
            break;
        }
        if (failed(status, argv[i]))
            return 0;
    }
    return i;
}

static int check(int ok, const char* what)
{
    if (!ok)
        fprintf(stderr, "c host: %s\n", what);
    return ok;
}

int main(int argc, char** argv)
{
    setlocale(LC_ALL, "");
    const quen_version_info* version = quen_version();
    if (!check(version->size >= sizeof(quen_version_info) && version->interface_version == QUEN_INTERFACE_VERSION,
               "the library implements another interface version"))
        return 1;
    const int first = place_machine(argc, argv);
    if (first == 0 || argc - first != 3) {
        fprintf(stderr, "usage: c_host [--root DIR] [--map X=DIR]... DATABASE SOURCE DESTINATION\n");
        return 2;
    }
    wchar_t* database_path = wide(argv[first]);
    wchar_t* source = wide(argv[first + 1]);
    wchar_t* destination = wide(argv[first + 2]);

    run_record run;
    memset(&run, 0, sizeof run);
    run.status = -1;
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
    if (!ok)
        return 1;

    if (run.status != QUEN_RUN_COMPLETED)
        fprintf(stderr, "c host: the run ended with status %d: %ls\n", run.status, run.failure);
    ok = check(run.finished_events == 1, "finished was not reported exactly once") &&
         check(run.status == QUEN_RUN_COMPLETED, "the run did not complete") &&
         check(run.statuses > 0 && run.first_action == QUEN_ACTION_STARTED, "the first status was not the start") &&
         check(run.progress_events > 1 && !run.progress_went_back && run.last_percent == 100.0,
               "progress did not climb to 100 %") &&
         check(run.disc_requests == 0, "a recovery folder asked for a disc") &&
         check(run.failed_outcomes == run.setup_failures, "setup failures and module outcomes disagree");
    if (!ok)
        return 1;
    printf("c host: completed, %d module outcomes, %d setup failures\n", run.outcomes, run.setup_failures);
    return 0;
}
