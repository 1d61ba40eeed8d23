#pragma once
// The Windows API, for the files that call it. Without NOMINMAX, <windows.h>
// defines min and max as macros, which break std::min and std::max.

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
