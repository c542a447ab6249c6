#pragma once

// Schema version the program works with.
constexpr int kuSchemaVersion = 3;

// Runs one migration step (1 to 3): 0 when it succeeded, 6 for an unknown step,
// 13 when its SQL failed. Every step may run again without harm.
int migrateDatabase(int step);

// Stored schema version; 0 when it cannot be read.
int databaseVersion();

// Brings the database to kuSchemaVersion; true only when the version read back
// afterwards is at least that, so an unreachable database (version 0) never passes.
bool updateDatabaseSchema();
