/* The movie codec library's exports. The program loads the library at run
   time and looks these up by name; every path is a zero-terminated 8-bit
   string, source first, target second. */
#ifndef MVE_API_H
#define MVE_API_H

#include <stdint.h>

#if defined(_WIN32)
#define MVE_CALL __stdcall
#define MVE_EXPORT __declspec(dllexport)
#else
#define MVE_CALL
#define MVE_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Called as routine(context, position) with position 0..100 while the
   library works. */
typedef void(MVE_CALL* MveProgressRoutine)(void* context, int32_t position);

/* Prepares the library for one movie. */
MVE_EXPORT void MVE_CALL InitCodec(MveProgressRoutine routine, void* context);
/* Writes the movie's sound track (stream 0) as a RIFF WAVE file. */
MVE_EXPORT void MVE_CALL ExtractSound(const char* moviePath, const char* wavePath);
/* Replaces the movie's sound track with the WAVE file's sound, converted to
   the movie's own audio format and fitted to its length. The movie is
   rewritten beside itself and renamed over the old file when complete. */
MVE_EXPORT void MVE_CALL InsertSound(const char* wavePath, const char* moviePath);
/* Ends the work on that movie. */
MVE_EXPORT void MVE_CALL CloseCodec(void);
/* The message of the last call's failure, or a null pointer when it
   succeeded. Valid until the next call. */
MVE_EXPORT const char* MVE_CALL LastError(void);
/* What the user should know of the last call although it succeeded (sound
   of the recording that fell where the movie's track is silent, and so was
   not put in), or a null pointer. Valid until the next call. */
MVE_EXPORT const char* MVE_CALL LastNote(void);

#ifdef __cplusplus
}
#endif

#endif
