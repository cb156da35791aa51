/* Starts a program and prints the microseconds from just before its exec until the X server
 * maps its first top-level window, and the program's minor page faults and CPU milliseconds
 * until then (from /proc), then ends the program. The clock runs in this process, which
 * is already connected and listening, so only the program's own start is measured.
 *   map_watch PROGRAM [ARGS...]      (DISPLAY must name a running server without a window manager)
 */
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

static long long nowUs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

/* Minor faults and user+system CPU milliseconds of a running process; -1 when unknown. */
static void processFigures(pid_t pid, long* faults, long* cpuMs) {
    char path[64], text[4096];
    *faults = *cpuMs = -1;
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f)
        return;
    const size_t n = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    text[n] = '\0';
    const char* p = strrchr(text, ')');
    if (!p)
        return;
    /* Fields after the command name: state(3) ... minflt(10) ... utime(14) stime(15). */
    unsigned long minflt = 0, utime = 0, stime = 0;
    if (sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %lu %*u %*u %*u %lu %lu", &minflt, &utime, &stime) == 3) {
        *faults = (long)minflt;
        *cpuMs = (long)((utime + stime) * 1000 / sysconf(_SC_CLK_TCK));
    }
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: map_watch PROGRAM [ARGS...]\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "map_watch: cannot connect to the X server\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t ck = xcb_change_window_attributes_checked(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_generic_error_t* err = xcb_request_check(c, ck);
    if (err) {
        fprintf(stderr, "map_watch: cannot watch the root window\n");
        return 2;
    }
    const long long start = nowUs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int rc = 1;
    xcb_generic_event_t* e;
    while ((e = xcb_wait_for_event(c)) != NULL) {
        const int type = e->response_type & 0x7f;
        free(e);
        if (type == XCB_MAP_NOTIFY) {
            const long long elapsed = nowUs() - start;
            long faults, cpuMs;
            processFigures(child, &faults, &cpuMs);
            printf("%lld %ld %ld\n", elapsed, faults, cpuMs);
            rc = 0;
            break;
        }
    }
    kill(child, SIGTERM);
    waitpid(child, NULL, 0);
    xcb_disconnect(c);
    return rc;
}
