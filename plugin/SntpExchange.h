#pragma once
// One SNTP exchange over UDP: request from local port 1024 to the server's port 123, one
// accepted reply, the local clock set to the server's transmit time.

#include <windows.h>

typedef BOOL(WINAPI* SetClockProc)(const SYSTEMTIME* local);

// Exit codes of the exchange.
enum SntpResult { SntpClockSet = 0, SntpNoSocket = 1, SntpFailed = -1 };

// Runs the exchange with the server (dotted IPv4 address or host name), waiting at most
// timeoutSeconds for an acceptable reply; the local time goes to setClock. Relies on the
// process having initialised Windows Sockets.
int SntpExchange(const char* server, int timeoutSeconds, SetClockProc setClock);
