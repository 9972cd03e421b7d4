/* The library's C interface: plain C99, callable from any compiler and from
 * any language with a C foreign-function interface (ctypes, P/Invoke, ...).
 * The C++ classes of the other headers stay the primary interface for C++
 * hosts built with the library's own compiler; docs/c-api.md tells which
 * host can use which, and what stays stable between versions.
 *
 * Rules that hold for every function:
 * - Texts are wchar_t, zero-terminated: UTF-16 on Windows, UTF-32 on Linux.
 *   A text parameter may be NULL where its comment says so.
 * - Every function except quen_version and quen_last_error returns a
 *   quen_status and sets the calling thread's last error (QUEN_OK and empty
 *   texts after a success). No exception ever leaves a function.
 * - Texts and structs the library hands out stay valid until the calling
 *   thread's next call into this interface (event payloads: during the
 *   callback), unless their comment gives a longer life.
 * - Every struct the library hands out begins with its own size in bytes.
 *   A later version only appends fields: a host reads a field it knows only
 *   when `size` covers it.
 * - Callbacks receive the `context` they were set with. They run on the
 *   thread that fires the event (the installer's own thread during a run)
 *   and must not unwind (no C++ exception, no longjmp) out of the call. */
#ifndef QUEN_QUEN_H
#define QUEN_QUEN_H

#include <quen/Export.h>

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
#  define QUEN_C_API extern "C" QUEN_API
#else
#  define QUEN_C_API QUEN_API
#endif

/* The version of this interface. It changes only when a function, struct
 * field or value is removed or changes meaning. */
#define QUEN_INTERFACE_VERSION 1

typedef int32_t quen_status;
enum {
    QUEN_OK = 0,
    QUEN_ERROR_INVALID_ARGUMENT = 1, /* a NULL handle or required pointer, an index out of range, a bad letter */
    QUEN_ERROR_REFUSED = 2,          /* the library declined: no run started, too many installers at once */
    QUEN_ERROR_LIBRARY = 3,          /* an error the library detected (ELibraryException) */
    QUEN_ERROR_FILE = 4,             /* a file or image operation failed (EFileException) */
    QUEN_ERROR_DATA = 5,             /* a record's content is not valid (EDataException) */
    QUEN_ERROR_OTHER = 6             /* anything else, out of memory included */
};

/* The fields of one of the library's exceptions; empty texts and zeros when
 * there is none. `text` is the full text (message, error code, source, line). */
typedef struct quen_exception {
    size_t size;
    const wchar_t* text;
    const wchar_t* message;
    const wchar_t* source;
    int32_t line;
    uint32_t error_code;
} quen_exception;

/* The calling thread's last error: the status of its last call and what
 * failed. `file_kind` is the file error's kind (EFileException::EKind),
 * -1 for other errors; `directory` and `file_name` are a file error's. */
typedef struct quen_error {
    size_t size;
    quen_status status;
    const quen_exception* exception;
    int32_t file_kind;
    const wchar_t* directory;
    const wchar_t* file_name;
} quen_error;

/* Never NULL. */
QUEN_C_API const quen_error* quen_last_error(void);

/* The library's version ("0.1.0" and its three numbers) and the interface
 * version it implements (QUEN_INTERFACE_VERSION of its build). Valid for the
 * life of the process; never NULL. */
typedef struct quen_version_info {
    size_t size;
    const wchar_t* library_version;
    uint32_t major;
    uint32_t minor;
    uint32_t patch;
    uint32_t interface_version;
} quen_version_info;

QUEN_C_API const quen_version_info* quen_version(void);

/* The machine (Linux): where the library's Windows drives live. On Windows
 * paths are native and these calls change nothing. `root` and `host_folder`
 * are host paths. An empty (or NULL) `host_folder` removes the drive's
 * mapping. `host_path` receives the host path of a Windows path. */
QUEN_C_API quen_status quen_set_machine_root(const wchar_t* root);
QUEN_C_API quen_status quen_map_drive(wchar_t letter, const wchar_t* host_folder);
QUEN_C_API quen_status quen_host_path(const wchar_t* windows_path, const wchar_t** host_path);

/* An install database, opened from its file. It must outlive every
 * installer created over it. */
typedef struct quen_database quen_database;

QUEN_C_API quen_status quen_database_open(const wchar_t* path, quen_database** database);
QUEN_C_API quen_status quen_database_close(quen_database* database);

/* One installation's configuration and driver (CInstaller). */
typedef struct quen_installer quen_installer;

/* `shutdown_reason` may be NULL (the library's own text). At most 64
 * installers exist at once (QUEN_ERROR_REFUSED beyond). */
QUEN_C_API quen_status quen_installer_create(quen_database* database, const wchar_t* shutdown_reason,
                                             quen_installer** installer);
/* Cancels a run still going and waits for it; from one of the installer's
 * own callbacks it returns at once and the run stops at its next step. */
QUEN_C_API quen_status quen_installer_destroy(quen_installer* installer);

/* hard_disk_source: nonzero when the source is a folder, zero for numbered
 * discs in one drive. The second flag is recorded only. */
QUEN_C_API quen_status quen_installer_set_flags(quen_installer* installer, int32_t hard_disk_source,
                                                int32_t second_flag);
/* Any may be NULL (an empty text). `third` is recorded only; `mount`
 * replaces the mount folder. */
QUEN_C_API quen_status quen_installer_set_paths(quen_installer* installer, const wchar_t* source,
                                                const wchar_t* destination, const wchar_t* third,
                                                const wchar_t* mount);

/* The events. One callback per event and installer: setting one replaces
 * the one before, NULL removes it. */
typedef struct quen_progress_event {
    size_t size;
    double percent;
} quen_progress_event;

enum { QUEN_ACTION_STARTED = 0, QUEN_ACTION_COPIED = 1, QUEN_ACTION_INSTALLING = 2 };

typedef struct quen_status_event {
    size_t size;
    int32_t action;      /* QUEN_ACTION_... */
    const wchar_t* text; /* for QUEN_ACTION_INSTALLING the module's label */
} quen_status_event;

typedef struct quen_setup_failed_event {
    size_t size;
    const wchar_t* label;
    int32_t return_code; /* the setup program's exit code; 1001 when it could not run, 1460 when it
                            timed out, 1223 when quen_installer_cancel_now ended it */
    const quen_exception* exception;
} quen_setup_failed_event;

/* The run asks for disc `disc` (1 for the first). The host sets `disc_in`
 * to nonzero once that disc is in the drive, or leaves it 0 to give up,
 * which cancels the run. */
typedef struct quen_disc_request_event {
    size_t size;
    int32_t disc;
    int32_t disc_in;
} quen_disc_request_event;

/* Run outcomes. Later versions may add values: a host treats a value it
 * does not know as a run that did not complete. */
enum { QUEN_RUN_COMPLETED = 0, QUEN_RUN_FAILED = 1, QUEN_RUN_CANCELLED = 2 };

typedef struct quen_finished_event {
    size_t size;
    int32_t status;                  /* QUEN_RUN_... */
    const quen_exception* exception; /* what ended a failed run */
} quen_finished_event;

typedef struct quen_detail_progress_event {
    size_t size;
    const wchar_t* item; /* the file being copied or the package being unpacked */
    uint64_t bytes_done;
    uint64_t bytes_total;
} quen_detail_progress_event;

/* Module outcomes, as CInstaller::EModuleOutcome numbers them. Later
 * versions may add values. */
enum {
    QUEN_MODULE_INSTALLED = 0,
    QUEN_MODULE_SETUP_FAILED = 1,
    QUEN_MODULE_SKIPPED_DATA = 2,
    QUEN_MODULE_PACKAGE_MISSING = 3,
    QUEN_MODULE_RELEASE_ID_MISMATCH = 4,
    QUEN_MODULE_NOT_STAGED = 5,
    QUEN_MODULE_VERSION_CHECK_FAILED = 6,
    QUEN_MODULE_FAILED = 7,
    QUEN_MODULE_NOT_INSTALLED = 8,
    QUEN_MODULE_SETUP_TIMED_OUT = 9
};

typedef struct quen_module_outcome_event {
    size_t size;
    const wchar_t* label;
    int32_t outcome;                     /* QUEN_MODULE_... */
    int32_t code;                        /* setup exit code, version check result or setup timeout */
    const wchar_t* expected_release_id;  /* for a release ID mismatch: the record's */
    const wchar_t* found_release_id;     /* and the package's */
} quen_module_outcome_event;

typedef void (*quen_progress_callback)(void* context, const quen_progress_event* event);
typedef void (*quen_status_callback)(void* context, const quen_status_event* event);
typedef void (*quen_setup_failed_callback)(void* context, const quen_setup_failed_event* event);
typedef void (*quen_disc_request_callback)(void* context, quen_disc_request_event* event);
typedef void (*quen_finished_callback)(void* context, const quen_finished_event* event);
typedef void (*quen_detail_progress_callback)(void* context, const quen_detail_progress_event* event);
typedef void (*quen_module_outcome_callback)(void* context, const quen_module_outcome_event* event);

QUEN_C_API quen_status quen_installer_set_progress_callback(quen_installer* installer,
                                                            quen_progress_callback callback, void* context);
QUEN_C_API quen_status quen_installer_set_status_callback(quen_installer* installer, quen_status_callback callback,
                                                          void* context);
QUEN_C_API quen_status quen_installer_set_setup_failed_callback(quen_installer* installer,
                                                                quen_setup_failed_callback callback, void* context);
QUEN_C_API quen_status quen_installer_set_disc_request_callback(quen_installer* installer,
                                                                quen_disc_request_callback callback, void* context);
QUEN_C_API quen_status quen_installer_set_finished_callback(quen_installer* installer,
                                                            quen_finished_callback callback, void* context);
QUEN_C_API quen_status quen_installer_set_detail_progress_callback(quen_installer* installer,
                                                                   quen_detail_progress_callback callback,
                                                                   void* context);
QUEN_C_API quen_status quen_installer_set_module_outcome_callback(quen_installer* installer,
                                                                  quen_module_outcome_callback callback,
                                                                  void* context);

/* Starts a run over the database's applications and modules on the
 * installer's own thread and returns; the finished event ends it.
 * `media_type` names the recovery medium (NULL: empty). */
QUEN_C_API quen_status quen_installer_install(quen_installer* installer, const wchar_t* media_type);
/* Asks the run to stop before its next module; does not wait. */
QUEN_C_API quen_status quen_installer_cancel(quen_installer* installer);
/* Cancels as quen_installer_cancel does and also ends the running setup
 * program with every process it started (setup failed, 1223); does not
 * wait. */
QUEN_C_API quen_status quen_installer_cancel_now(quen_installer* installer);
/* Seconds a setup program may run before it and every process it started
 * are ended (setup failed with 1460, QUEN_MODULE_SETUP_TIMED_OUT); the run
 * goes on. 0, the default, sets no limit. Read when a program starts. */
QUEN_C_API quen_status quen_installer_set_setup_timeout(quen_installer* installer, uint32_t seconds);
/* Waits until the run's thread has ended (at once from its own callbacks). */
QUEN_C_API quen_status quen_installer_wait(quen_installer* installer);
QUEN_C_API quen_status quen_installer_is_running(quen_installer* installer, int32_t* running);

/* A dry run: the copy list the run would stage and the problems it would
 * meet. From discs, `disc_roots` gives the folder of each disc in turn
 * (disc 1 first; may be NULL when `disc_root_count` is 0). The plan lives
 * until quen_plan_destroy; its entries as long as the plan. */
typedef struct quen_plan quen_plan;

typedef struct quen_plan_copy {
    size_t size;
    const wchar_t* label;
    const wchar_t* release_path;
    int32_t disc; /* -1 from a recovery folder */
} quen_plan_copy;

typedef struct quen_plan_problem {
    size_t size;
    const wchar_t* label;
    const wchar_t* text;
} quen_plan_problem;

QUEN_C_API quen_status quen_installer_plan(quen_installer* installer, const wchar_t* media_type,
                                           const wchar_t* const* disc_roots, size_t disc_root_count,
                                           quen_plan** plan);
QUEN_C_API quen_status quen_plan_counts(const quen_plan* plan, size_t* copies, size_t* problems);
QUEN_C_API quen_status quen_plan_copy_at(const quen_plan* plan, size_t index, const quen_plan_copy** copy);
QUEN_C_API quen_status quen_plan_problem_at(const quen_plan* plan, size_t index, const quen_plan_problem** problem);
QUEN_C_API quen_status quen_plan_destroy(quen_plan* plan);

/* The version check (VerifyVersion): `result` receives its result
 * (EVerifyVersionResult, 0 when the version is present), `found` the version
 * text found. Either text may be NULL. */
QUEN_C_API quen_status quen_verify_version(const wchar_t* version_path, const wchar_t* expected_version,
                                           int32_t* result, const wchar_t** found);

/* A WIM package. `work_dir` takes the unscrambled working copy of a
 * scrambled package (NULL: the system's temporary folder). `value` is NULL
 * when no image has the tag. */
QUEN_C_API quen_status quen_wim_image_count(const wchar_t* path, const wchar_t* work_dir, uint32_t* count);
QUEN_C_API quen_status quen_wim_tag(const wchar_t* path, const wchar_t* tag, const wchar_t** value);
QUEN_C_API quen_status quen_wim_is_scrambled(const wchar_t* path, int32_t* scrambled);

#endif
