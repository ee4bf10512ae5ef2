// SPDX-License-Identifier: MIT
// The dyld declaration app/Relaunch.cpp uses on macOS, as Apple documents it. Compile check only.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif
int _NSGetExecutablePath(char* buf, uint32_t* bufsize);
#ifdef __cplusplus
}
#endif
