/* kvxvtpd: the conversion bridge. Starts the transcription engine kvxvtpd64 detached on one
 * project, then talks to it only through two files in the user's private temp folder: it writes
 * commands into "~kvxcmnd.txt" and reads the engine's one-line status file "~kvxstat.txt".
 * One conversion at a time per loaded library; call it from one thread.
 *
 * Every entry point returns one of the KvxResult codes below, as an int.
 *
 * One engine per exchange folder: BeginConvert first ends an engine of this user that still runs
 * on the same exchange files (left by a program that was killed, say). An engine whose starter
 * has gone ends its run by itself, as a cancel would.
 *
 * The engine is kvxvtpd64 in the folder named by VELTRANE_SYSTEM_DIR, or else in the folder
 * "bin" beside the folder that holds this library. */
#ifndef KVXVTPD_H
#define KVXVTPD_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#else
#include <assert.h>
#endif

#define KVX_API __attribute__((visibility("default")))

/* Result codes of the entry points. The values are part of the library's interface. */
typedef enum KvxResult {
    KVX_DONE = 0,
    KVX_NOT_RUNNING = 1,        /* no conversion is running (any call but BeginConvert before a
                                   start or after the end was read) */
    KVX_ALREADY_RUNNING = 2,    /* BeginConvert while a conversion is running */
    KVX_ENGINE_NOT_STARTED = 3, /* the engine could not be started */
    KVX_NO_COMPLETE_STATUS = 4, /* status file missing or incomplete (GetStatus; poll again) */
    KVX_COMMAND_NOT_WRITTEN = 5 /* command file could not be written */
} KvxResult;

/* The status value of a run that finished successfully; any value below 0 is an outcome code.
 * A reader compares the whole part, as the line holds it with three decimals. */
#define KVX_STATUS_FINISHED 100000.0f

/* The engine ended without a final status line: -8.000 when it crashed or was killed, -8.001
 * when it could not write that line (it exits with KVX_EXIT_STATUS_LOST then): the exchange
 * folder is full or unwritable. */
#define KVX_STATUS_ENGINE_STOPPED -8.0f
#define KVX_STATUS_NOT_WRITTEN -8.001f
#define KVX_EXIT_STATUS_LOST 3

/* The commands the bridge writes into the command file and the engine obeys, one number each;
 * KVX_COMMAND_PATCH is followed by a blank and the program number. */
typedef enum KvxCommand {
    KVX_COMMAND_CANCEL = 1,    /* end the run as a cancel */
    KVX_COMMAND_THRESHOLD = 2, /* live: take twice the current input peak as the threshold */
    KVX_COMMAND_PATCH = 3      /* live: switch the live part to a program */
} KvxCommand;

/* The engine's status line, field by field (60 bytes). */
typedef struct ConvertStatus {
    float status;     /* percent done (live: input level); 100000 finished; negative: outcome
                         -(type + detail / 1000); -8.000: the engine stopped without reporting */
    int32_t lowKey;   /* lowest key of any note so far (128 before the first) */
    int32_t highKey;  /* highest key of any note so far (-1 before the first) */
    int32_t keySig;   /* key signature -7..7 (+ sharps, - flats), 8 = none */
    int32_t keyMode;  /* 0 major, 1 minor */
    float tempo;      /* BPM */
    float resolution; /* resolution exponent, -1 = automatic */
    float startPoint; /* start time in seconds */
    int32_t chordRes; /* chord resolution */
    int32_t timeSigNumerator; /* 0 = none */
    int32_t noteKey;          /* key of the note just started, 0 = none */
    float noteBend;           /* that note's pitch bend + 64 */
    float referencePitch;     /* Hz */
    char chord[6];            /* chord text, at most 5 characters and a terminating zero */
} ConvertStatus;

static_assert(sizeof(ConvertStatus) == 60, "the status record is 60 bytes");
static_assert(offsetof(ConvertStatus, lowKey) == 4, "status record layout");
static_assert(offsetof(ConvertStatus, keyMode) == 16, "status record layout");
static_assert(offsetof(ConvertStatus, tempo) == 20, "status record layout");
static_assert(offsetof(ConvertStatus, startPoint) == 28, "status record layout");
static_assert(offsetof(ConvertStatus, chordRes) == 32, "status record layout");
static_assert(offsetof(ConvertStatus, noteKey) == 40, "status record layout");
static_assert(offsetof(ConvertStatus, noteBend) == 44, "status record layout");
static_assert(offsetof(ConvertStatus, referencePitch) == 48, "status record layout");
static_assert(offsetof(ConvertStatus, chord) == 52, "status record layout");

/* Starts the engine on a project file: KVX_DONE, KVX_ALREADY_RUNNING or KVX_ENGINE_NOT_STARTED.
 * Stale exchange files are deleted first. */
KVX_API int BeginConvert(const char* projectFile);

/* Fills the record from the status file: KVX_DONE, KVX_NOT_RUNNING or KVX_NO_COMPLETE_STATUS.
 * A final status (100000 or negative) ends the run: both exchange files are deleted and the next
 * call returns KVX_NOT_RUNNING. */
KVX_API int GetStatus(ConvertStatus* status);

/* Asks the engine to cancel ("1"): KVX_DONE, KVX_NOT_RUNNING or KVX_COMMAND_NOT_WRITTEN. The run
 * ends when GetStatus reads -1.000. */
KVX_API int CancelConvert(void);

/* Live runs: take twice the current input peak as the threshold ("2"): KVX_DONE,
 * KVX_NOT_RUNNING or KVX_COMMAND_NOT_WRITTEN. */
KVX_API int SetThreshold(void);

/* Gives the run up without waiting for its final line: the engine is asked to stop (SIGTERM,
 * which it treats as a cancel), killed when it has not gone within a bounded wait, and collected;
 * the exchange files are deleted and the library is idle again: KVX_DONE, or KVX_NOT_RUNNING
 * when nothing runs.
 * For callers whose wait for the engine's answer has run out (a hung or stopped engine). */
KVX_API int AbandonConvert(void);

/* Live runs: switch the live part to program `patch` ("3 <patch>"): KVX_DONE, KVX_NOT_RUNNING
 * or KVX_COMMAND_NOT_WRITTEN. */
KVX_API int SetPatch(int patch);

#ifdef __cplusplus
}
#endif

#endif /* KVXVTPD_H */
