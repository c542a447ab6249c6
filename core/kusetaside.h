#pragma once

#include <QString>
#include <QStringList>

// Moving a damaged file (or whatever sits at its path) out of the way while keeping
// its bytes: it is renamed beside itself under a name that says so and that no earlier
// set-aside file has, e.g. Velmoran.damaged-20250512-143000.db.
namespace kuSetAside {

// The free name path would take now; companions are suffixes of files that go with it
// ("-wal" beside a database), and their names must be free too.
QString freeName(const QString& path, const QStringList& companions = QStringList());

// Renames path, and each companion that exists, to target (a free name when empty); the
// new path of the file, or empty (with the reason in error) when it could not be moved.
// They move together or not at all. Companions left without the file move alone.
QString setAside(const QString& path, const QString& target = QString(), const QStringList& companions = QStringList(),
                 QString* error = nullptr);

} // namespace kuSetAside
