/* The plug-in's C interface: the only header a host includes. A host loads libtwkRotaryn.so,
 * creates the plug-in with the ports it hands over and then talks to it in JSON text (UTF-8).
 * Every entry point and every port runs on the host's one user-interface thread. No C++
 * exception crosses this interface in either direction: a port reports failure by its result. */
#ifndef TWK_ROTARYN_H
#define TWK_ROTARYN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The version of this interface; a plug-in refuses a host built for another. */
#define TWK_ROTARYN_INTERFACE_VERSION 2

/* Message-box buttons and answers, as VB numbers them. */
#define TWK_ROTARYN_BUTTONS_OK 0
#define TWK_ROTARYN_BUTTONS_OK_CANCEL 1
#define TWK_ROTARYN_BUTTONS_YES_NO_CANCEL 3
#define TWK_ROTARYN_BUTTONS_YES_NO 4
#define TWK_ROTARYN_ANSWER_OK 1
#define TWK_ROTARYN_ANSWER_CANCEL 2
#define TWK_ROTARYN_ANSWER_YES 6
#define TWK_ROTARYN_ANSWER_NO 7

typedef struct twkRotarynPlugin twkRotarynPlugin;

typedef struct twkRotarynDateTime {
  int32_t year, month, day, hour, minute, second;
} twkRotarynDateTime;

/* A timer's tick, called by the host with the context the plug-in gave when it started it. */
typedef void (*twkRotarynTick)(void* tickContext, const char* name, int32_t index);

/* The outside world as the host hands it over. Texts are UTF-8 and NUL-terminated; a function
 * that fills a buffer cuts its text to fit and terminates it. The host keeps this structure and
 * its context alive until twkRotaryn_DestroyPlugin returns. */
typedef struct twkRotarynHostPorts {
  uint32_t size; /* sizeof(twkRotarynHostPorts) as the host was built */
  void* context; /* passed back as the first argument of every port */

  /* Clock: local wall-clock time; milliseconds from any start, never going back. */
  void (*localNow)(void* context, twkRotarynDateTime* now);
  int64_t (*monotonicMs)(void* context);

  /* Timers addressed by (name, index). timerStart (re)arms a repeating timer that counts its
   * interval from now; timerStop disarms it (a missing one is fine). Ticks run between other
   * events, and inside doEvents and modal boxes. */
  void (*timerStart)(void* context, const char* name, int32_t index, int32_t intervalMs,
                     twkRotarynTick tick, void* tickContext);
  void (*timerStop)(void* context, const char* name, int32_t index);

  /* Event pump: let pending events run once (VB's DoEvents); block without running any. */
  void (*doEvents)(void* context);
  void (*sleepMs)(void* context, int32_t milliseconds);

  /* Dialogs. A modal box keeps events running; returns a TWK_ROTARYN_ANSWER_*. A file dialog
   * returns 1 with the chosen Windows path in `path`, 0 when cancelled. */
  int32_t (*messageBox)(void* context, const char* text, const char* title, int32_t buttons);
  int32_t (*fileDialog)(void* context, int32_t save, const char* title, const char* filter,
                        const char* initialDir, const char* defaultExt, char* path,
                        size_t pathSize);
  void (*setBusy)(void* context, int32_t busy);

  /* Server memory, optional. Null: the plug-in reads and writes the server processes itself.
   * Otherwise every access goes here: 0 when done; else a VB run-time error number with a
   * message in `error`. */
  int32_t (*readMemory)(void* context, int32_t process, uint32_t address, void* buffer,
                        uint32_t length, char* error, size_t errorSize);
  int32_t (*writeMemory)(void* context, int32_t process, uint32_t address, const void* buffer,
                         uint32_t length, char* error, size_t errorSize);

  /* Console commands, optional. Asked before a command goes into a server's console mailbox:
   * 0 lets it go; anything else refuses it with the reason in `error` (a host whose server
   * takes commands some other way). Null lets every command go. */
  int32_t (*consoleCommand)(void* context, int32_t profileIndex, int32_t messageTarget,
                            const char* command, char* error, size_t errorSize);

  /* Screen, optional: twips per pixel across the screen the window shows on (15 at 96 dpi).
   * Null, or a table whose `size` ends before this member (a host built before it): 15. */
  int32_t (*twipsPerPixelX)(void* context);
  /* Screen, optional: twips per pixel down the screen. Null, 0, or a table that ends before
   * this member: the same as across. */
  int32_t (*twipsPerPixelY)(void* context);

  /* Events, optional: what happened on a profile's server, for a host's metrics and history.
   * `name` is game_started, game_ended, game_state, server_lost, display_cut, rotation_write,
   * task_run, task_failed or game_command; `detail` is a JSON object of the event's fields ("{}"
   * when it has none): map, mission, gameType, position, rotationLength for the games; state
   * for game_state; origin (window, task, autoload, remote) for
   * rotation_write; kind (skip, score, play), origin (window, remote) and admin for
   * game_command. The host only listens. Null, or a table that ends before this member: the
   * plug-in tells nobody. */
  void (*reportEvent)(void* context, int32_t profileIndex, const char* name, const char* detail);
} twkRotarynHostPorts;

/* The size of the port table before twipsPerPixelX: the smallest a plug-in accepts. */
#define TWK_ROTARYN_HOST_PORTS_MIN_SIZE offsetof(twkRotarynHostPorts, twipsPerPixelX)

/* Creates the plug-in (its start-up runs: root folder from the library's own folder, the sibling
 * components). Null when the host speaks another interface version or start-up cannot run. */
twkRotarynPlugin* twkRotaryn_CreatePlugin(int32_t interfaceVersion,
                                          const twkRotarynHostPorts* ports);
void twkRotaryn_DestroyPlugin(twkRotarynPlugin* plugin);

/* Runs one operation of the plug-in object: {"op":"LoadInterface","Index":1,"pHwnd":0,
 * "PDAT":[...]}. Answers {"result":...}, or {"error":{"number":N,"description":"..."}} when
 * the operation failed to the host (the untrapped ones) or the request is malformed (number 5).
 * The answer is the plug-in's; free it with twkRotaryn_Free. */
char* twkRotaryn_Call(twkRotarynPlugin* plugin, const char* request);

/* Drives and inspects the plug-in's window and state, as a user or a test would:
 * {"control":"cmdAdd","event":"press"}, {"dump":"control","control":"mfgList"},
 * {"dump":"window"|"currentList"|"controls"|"profile","index":1}. Answers as twkRotaryn_Call. */
char* twkRotaryn_Automate(twkRotarynPlugin* plugin, const char* request);

/* The plug-in's operations and privileges, the same for every plug-in object, so a host reads them
 * before creating one: {"result":{"privileges":["Change Map List",...],"operations":[
 * {"name":"SetMapsRem","arguments":["Index","PDAT","Data"],"remote":{"privilege":
 * "Change Map List","data":true,"readOnly":false}},...]}}. An operation remote administrators
 * reach has "remote": the privilege it needs (null: any of the plug-in's), whether the
 * administrator gives its "Data", and whether it only reads. Free the answer with twkRotaryn_Free.
 */
char* twkRotaryn_Describe(void);

void twkRotaryn_Free(char* answer);

#ifdef __cplusplus
}
#endif

#endif
