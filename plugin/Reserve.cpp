#include "Reserve.h"

void AddReserveMenuItem(HMENU, int)
{
}

void RemindReservedAtClose(HWND)
{
}

void MarkPostedMessage(HWND, const char*)
{
}
