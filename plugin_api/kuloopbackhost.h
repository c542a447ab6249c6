#pragma once

#include <QString>

// 127.0.0.0/8, ::1 (also in brackets) and "localhost", with or without a
// trailing dot: the only hosts whose certificate errors may be accepted.
bool isLoopbackHost(const QString& host);
