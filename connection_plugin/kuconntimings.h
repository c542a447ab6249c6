#pragma once

// Intervals and limits of one connection; the defaults are the production
// values, tests shorten them.
struct kuConnTimings
{
    int marketPollMs = 300;      // market-data updates
    int updatesPollMs = 1000;    // account updates
    int timePollMs = 60000;      // server time
    int pollTimeoutMs = 5000;    // one poll of the polling thread
    int requestTimeoutMs = 8000; // the connection's own blocking requests and each probe
    int maxFailedPolls = 9;      // consecutive failures that end the polling thread
    int probeCount = 7;          // reconnection probes before the connection is given up
    int stopWaitMs = 3000;       // how long a stop waits for the polling thread
};
