#pragma once
// Marks the plain C functions a product library offers its host. Everything
// else in the libraries is built with hidden visibility.

#include "productlibs.h"

#define COMPANION_EXPORT extern "C" __attribute__((visibility("default")))

// Each export must keep the exact shape the host resolves it with.
#define COMPANION_CHECK_EXPORT(function, type) \
    static_assert(std::is_same_v<decltype(&function), type>, #function " does not match " #type)

#include <type_traits>
