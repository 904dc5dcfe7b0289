#pragma once

#include "../../contract/Quillpost.h"

extern HostApi Host;

// Binds the host's API from the running Quillpost.exe; 1 on success (or when already bound), 0
// with nothing bound on failure. No reference to the host is taken.
int BindHostApi();
// Forgets the host's API.
void ReleaseHostApi();
bool HostApiBound();
