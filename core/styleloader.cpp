#include "styleloader.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QKeyEvent>

void StyleLoader::attach(const QString& filename, const QKeySequence& key)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    auto* loader = new StyleLoader(app, filename, key);
    app->installEventFilter(loader);
    loader->load();
}

QString StyleLoader::defaultStylePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/style.qss");
}

StyleLoader::StyleLoader(QObject* parent, const QString& filename, const QKeySequence& key)
    : QObject(parent), m_filename(filename), m_key(key)
{}

void StyleLoader::load()
{
    QFile file(m_filename);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug().noquote() << "Cannot open stylesheet file " + m_filename;
        return;
    }
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->setStyleSheet(QString::fromUtf8(file.readAll()));
}

bool StyleLoader::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // Modifiers are left out, so Ctrl+F5 reloads as F5 does.
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (QKeySequence(keyEvent->key()) == m_key) {
            load();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
