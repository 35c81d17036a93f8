/* A stand-in libXrandr.so.2 that offers only the calls of RandR 1.0 and
 * hands each on to the real library. Wine then takes the monitors from
 * Xinerama and the display mode (the whole desktop) from RandR 1.0, so that
 * its DirectDraw primary surface covers every monitor, as Windows' does for
 * a program in a window. Built for the test session by
 * scripts/wine-session.sh; REAL_LIBXRANDR names the real library. */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <X11/extensions/Xrandr.h>

static void* Real(const char* name)
{
    static void* library;
    if (!library)
        library = dlopen(REAL_LIBXRANDR, RTLD_NOW | RTLD_LOCAL);
    void* function = library ? dlsym(library, name) : NULL;
    if (!function) {
        fprintf(stderr, "randr10_shim: %s not found in %s\n", name, REAL_LIBXRANDR);
        abort();
    }
    return function;
}

#define FORWARD(result, name, params, args)                      \
    result name params                                           \
    {                                                            \
        static result (*real) params;                            \
        if (!real)                                               \
            *(void**)&real = Real(#name);                        \
        return real args;                                        \
    }

FORWARD(Bool, XRRQueryExtension, (Display* d, int* event, int* error), (d, event, error))
FORWARD(Status, XRRQueryVersion, (Display* d, int* major, int* minor), (d, major, minor))
FORWARD(XRRScreenConfiguration*, XRRGetScreenInfo, (Display* d, Window w), (d, w))
FORWARD(void, XRRFreeScreenConfigInfo, (XRRScreenConfiguration* c), (c))
FORWARD(Status, XRRSetScreenConfig,
        (Display* d, XRRScreenConfiguration* c, Drawable w, int size, Rotation r, Time t),
        (d, c, w, size, r, t))
FORWARD(Status, XRRSetScreenConfigAndRate,
        (Display* d, XRRScreenConfiguration* c, Drawable w, int size, Rotation r, short rate, Time t),
        (d, c, w, size, r, rate, t))
FORWARD(Rotation, XRRConfigRotations, (XRRScreenConfiguration* c, Rotation* r), (c, r))
FORWARD(Time, XRRConfigTimes, (XRRScreenConfiguration* c, Time* t), (c, t))
FORWARD(XRRScreenSize*, XRRConfigSizes, (XRRScreenConfiguration* c, int* n), (c, n))
FORWARD(short*, XRRConfigRates, (XRRScreenConfiguration* c, int size, int* n), (c, size, n))
FORWARD(SizeID, XRRConfigCurrentConfiguration, (XRRScreenConfiguration* c, Rotation* r), (c, r))
FORWARD(short, XRRConfigCurrentRate, (XRRScreenConfiguration* c), (c))
FORWARD(int, XRRRootToScreen, (Display* d, Window root), (d, root))
FORWARD(void, XRRSelectInput, (Display* d, Window w, int mask), (d, w, mask))
FORWARD(Rotation, XRRRotations, (Display* d, int screen, Rotation* r), (d, screen, r))
FORWARD(XRRScreenSize*, XRRSizes, (Display* d, int screen, int* n), (d, screen, n))
FORWARD(short*, XRRRates, (Display* d, int screen, int size, int* n), (d, screen, size, n))
FORWARD(Time, XRRTimes, (Display* d, int screen, Time* t), (d, screen, t))
FORWARD(int, XRRUpdateConfiguration, (XEvent* event), (event))
