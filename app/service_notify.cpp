#include "app/service_notify.h"

#if defined(VELMORA_HAVE_SYSTEMD)
#include <systemd/sd-daemon.h>

void serviceNotify(const char* state) { sd_notify(0, state); }
#else
void serviceNotify(const char*) {}
#endif
