#pragma once
// A loopback port that nothing listens on, for connection failures.

#include "TestHttpServer.h"

#include <gtest/gtest.h>

// Bound once by a test server, then released.
inline int ClosedPort()
{
    TTestHttpServer probe;
    EXPECT_TRUE(probe.Start());
    const int port = probe.Port();
    probe.Stop();
    return port;
}
