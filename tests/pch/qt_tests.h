// Precompiled for the test programs built on Qt: what nearly every one of them
// includes, parsed once per program instead of once per source.
#pragma once
#include <gtest/gtest.h>
#include <QtTest>
#include <QtWidgets>
#include <QtNetwork>
