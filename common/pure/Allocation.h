#pragma once
// Allocation in code that runs in the host: new (NoThrow) T gives null when memory runs out, and
// the caller checks it.
//
// NoThrow is a nothrow tag of our own: std::nothrow is an object defined in the C++ library, and
// naming it links that library's allocation-handler code into the DLL (common/Allocation.cpp
// replaces the allocation functions themselves).

#include <new>

inline constexpr std::nothrow_t NoThrow{};
