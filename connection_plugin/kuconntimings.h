#pragma once

// Intervals and limits of one connection; the defaults are the production
// values, tests shorten them.
struct kuConnTimings
{
    int marketPollMs = 300;      // market-data updates
    int updatesPollMs = 1000;    // account updates
    int timePollMs = 60000;      // server time
    int pollTimeoutMs = 5000;    // one poll, and one reconnection probe: the server must answer both alike
    int requestTimeoutMs = 8000; // login, server time, orders, blocking requests; the slot of each probe
    int dataTimeoutMs = 30000;   // lists and snapshots, which may be large
    int maxFailedPolls = 9;      // consecutive failures that end the polling thread
    int probeCount = 7;          // reconnection probes before the connection is given up
    int stopWaitMs = 3000;       // how long a stop waits for the polling thread
};
