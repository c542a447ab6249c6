#pragma once

#include <QString>

// Key of a settings file in table settings: lower-case hex SHA-1 of the path's
// UTF-8 bytes. Every reader and writer of the "hash" column uses this one form.
QString settingsHash(const QString& path);
