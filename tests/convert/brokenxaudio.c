/* Player libraries that are broken in one way each, built three times:
 *   BROKEN_MISSING_SYMBOL  lacks control_message_send_SS and control_win32_params_to_message
 *   BROKEN_VERSION         reports interface version 3.7
 *   BROKEN_PLAYER_NEW      refuses to create a player
 * Every call that reaches one of them is counted in broken_calls. */

#include <stdint.h>

#define EXPORT __attribute__((visibility("default")))

EXPORT int broken_calls = 0;

EXPORT int player_new(void** player, void* target)
{
    (void)target;
    ++broken_calls;
#ifdef BROKEN_PLAYER_NEW
    *player = 0;
    return -1;
#else
    static int dummy;
    *player = &dummy;
    return 0;
#endif
}

EXPORT int player_delete(void* player) { (void)player; ++broken_calls; return 0; }
EXPORT int player_set_priority(void* player, int priority) { (void)player; (void)priority; ++broken_calls; return 0; }
EXPORT int player_get_priority(void* player) { (void)player; ++broken_calls; return 0; }
EXPORT const char* xaudio_error_string(int code) { (void)code; ++broken_calls; return "broken"; }

EXPORT unsigned long xaudio_get_version(int api)
{
    (void)api;
    ++broken_calls;
#ifdef BROKEN_VERSION
    return (3ul << 16) | (7ul << 8) | 1ul;
#else
    return (3ul << 16) | (8ul << 8);
#endif
}

EXPORT int control_message_send_N(void* p, int c) { (void)p; (void)c; ++broken_calls; return 0; }
EXPORT int control_message_send_P(void* p, int c, const void* d, unsigned s) { (void)p; (void)c; (void)d; (void)s; ++broken_calls; return 0; }
EXPORT int control_message_send_S(void* p, int c, const char* s) { (void)p; (void)c; (void)s; ++broken_calls; return 0; }
#ifndef BROKEN_MISSING_SYMBOL
EXPORT int control_message_send_SS(void* p, int c, const char* a, const char* b) { (void)p; (void)c; (void)a; (void)b; ++broken_calls; return 0; }
#endif
EXPORT int control_message_send_SI(void* p, int c, const char* s, int i) { (void)p; (void)c; (void)s; (void)i; ++broken_calls; return 0; }
EXPORT int control_message_send_IPI(void* p, int c, int a, const void* d, unsigned s, int b) { (void)p; (void)c; (void)a; (void)d; (void)s; (void)b; ++broken_calls; return 0; }
EXPORT int control_message_send_I(void* p, int c, int a) { (void)p; (void)c; (void)a; ++broken_calls; return 0; }
EXPORT int control_message_send_II(void* p, int c, int a, int b) { (void)p; (void)c; (void)a; (void)b; ++broken_calls; return 0; }
EXPORT int control_message_send_III(void* p, int c, int a, int b, int d) { (void)p; (void)c; (void)a; (void)b; (void)d; ++broken_calls; return 0; }
EXPORT int control_message_send_IIII(void* p, int c, int a, int b, int d, int e) { (void)p; (void)c; (void)a; (void)b; (void)d; (void)e; ++broken_calls; return 0; }
#ifndef BROKEN_MISSING_SYMBOL
EXPORT int control_win32_params_to_message(void* t, void* m, unsigned msg, uintptr_t w, intptr_t l) { (void)t; (void)m; (void)msg; (void)w; (void)l; ++broken_calls; return -1; }
#endif
