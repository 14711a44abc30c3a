// Word to the service manager when the program runs as a systemd service of Type=notify (packaging/
// velmora-gallery.service): "READY=1" once the piece is up, then "WATCHDOG=1" while its loop goes on;
// a loop that stops sending is taken for hung and the service is restarted. Goes to the socket that
// NOTIFY_SOCKET names; does nothing without one, and nothing in a build without libsystemd (Windows,
// the browser, a Linux build made without libsystemd-dev).
#pragma once

void serviceNotify(const char* state);
