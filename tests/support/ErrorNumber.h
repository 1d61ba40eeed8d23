#pragma once
// The number of a runtime error, for every suite: core, controls and windows.

#include "core/RuntimeError.h"

namespace lumora::test {

// The number of the runtime error that `action` raises; 0 when it raises none.
template <class F>
int errorNumber(F&& action)
{
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace lumora::test
