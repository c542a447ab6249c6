#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>

// Reloads a style sheet file from disk into the running application when a
// key is pressed, for whoever works on the look. Not attached at start-up.
class StyleLoader : public QObject
{
    Q_OBJECT

public:
    // Installs a loader on the application and loads the file at once.
    static void attach(const QString& filename, const QKeySequence& key);
    // "style.qss" beside the executable.
    static QString defaultStylePath();

    StyleLoader(QObject* parent, const QString& filename, const QKeySequence& key);

    void load();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_filename;
    QKeySequence m_key;
};
