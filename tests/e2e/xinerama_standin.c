/* A stand-in for libXinerama.so.1, for a Wine session with several monitors on one Xvfb
 * screen. Xvfb's own Xinerama puts every screen at 0,0; Wine 8 takes its monitors from
 * Xinerama when XRandR is off and no virtual desktop is used, so this library, found first
 * through LD_LIBRARY_PATH, answers with the monitors named in TSUTSURI_MONITORS:
 * "WxH+X+Y" in X screen coordinates, separated by spaces or commas, the primary first.
 *
 * It is built without the C library's headers (a 32-bit copy is made by a compiler that has
 * no 32-bit headers), so it declares the two functions of the C library it calls itself; the
 * process that loads it has the C library loaded already. */

typedef struct Display Display;
typedef struct {
    int screen_number;
    short x_org, y_org, width, height;
} XineramaScreenInfo;

extern void *malloc(__SIZE_TYPE__ size);
extern char *getenv(const char *name);

enum { MaxMonitors = 8 };

/* One number of a layout; advances *text past it. */
static int number(const char **text) {
    int value = 0;
    while (**text >= '0' && **text <= '9') value = value * 10 + (*(*text)++ - '0');
    return value;
}

static int layout(XineramaScreenInfo *out) {
    const char *text = getenv("TSUTSURI_MONITORS");
    int count = 0;
    if (!text) return 0;
    while (*text && count < MaxMonitors) {
        XineramaScreenInfo m;
        if (*text == ' ' || *text == ',') { ++text; continue; }
        m.screen_number = count;
        m.width = (short)number(&text);
        if (*text++ != 'x') return count;
        m.height = (short)number(&text);
        if (*text++ != '+') return count;
        m.x_org = (short)number(&text);
        if (*text++ != '+') return count;
        m.y_org = (short)number(&text);
        out[count++] = m;
    }
    return count;
}

int XineramaQueryExtension(Display *display, int *event_base, int *error_base) {
    (void)display;
    *event_base = 0;
    *error_base = 0;
    return 1;
}

int XineramaQueryVersion(Display *display, int *major, int *minor) {
    (void)display;
    *major = 1;
    *minor = 1;
    return 1;
}

int XineramaIsActive(Display *display) {
    (void)display;
    return 1;
}

/* The caller frees the array (XFree, which is free). */
XineramaScreenInfo *XineramaQueryScreens(Display *display, int *number_out) {
    XineramaScreenInfo found[MaxMonitors];
    XineramaScreenInfo *screens;
    int count = layout(found), i;
    (void)display;
    *number_out = 0;
    if (count == 0) return 0;
    screens = malloc(sizeof(XineramaScreenInfo) * (__SIZE_TYPE__)count);
    if (!screens) return 0;
    for (i = 0; i < count; ++i) screens[i] = found[i];
    *number_out = count;
    return screens;
}
