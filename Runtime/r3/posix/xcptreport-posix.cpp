// Unhandled exceptions where there is no Windows: no filter is installed (the sanitizers own
// the fatal signals there), and no crash dialog exists to be suppressed.
#include <qrt/xcpt.h>

void RTXcptSuppressCrashDialog(void) {}
