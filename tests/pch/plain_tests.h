// Precompiled for the test programs that use the standard library only.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>
