#pragma once

#include <QtTest>

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "kuapplication.h"
#include "kuloginform.h"

// Records every message box as it opens and closes it, so that the boxes'
// own event loops end without a user.
class BoxCatcher : public QObject
{
public:
    struct Box
    {
        QMessageBox::Icon icon;
        QString text;
    };
    QList<Box> boxes;

    BoxCatcher() { qApp->installEventFilter(this); }
    ~BoxCatcher() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show) {
            boxes.append({box->icon(), box->text().trimmed()});
            QMetaObject::invokeMethod(box, "reject", Qt::QueuedConnection);
        }
        return false;
    }
};

// Types text key by key, as a keyboard does, including letters beyond ASCII.
inline void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

template <typename T>
T* formChild(QWidget* form, const char* name)
{
    T* widget = form->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

inline QLineEdit* formEdit(QWidget* form, const char* name)
{
    return formChild<QLineEdit>(form, name);
}

inline QPushButton* formAcceptButton(QWidget* form)
{
    return formChild<QDialogButtonBox>(form, "buttonBox")->button(QDialogButtonBox::Ok);
}

// The program's plug-in folder beside the test is empty; the user's one gets the builds.
inline bool installConnectionPlugins()
{
    const QString folder = kuApplication::configPath() + QStringLiteral("/plugins");
    if (!QDir().mkpath(folder))
        return false;
    for (const char* name : {"ku_mainlink1.so", "ku_sparelink1.so"}) {
        const QString target = folder + QLatin1Char('/') + QLatin1String(name);
        QFile::remove(target);
        const QString source = qEnvironmentVariable("VELMORAN_PLUGIN_DIR") + QLatin1Char('/') + QLatin1String(name);
        if (!QFile::copy(source, target))
            return false;
    }
    return true;
}

// A test class run under a kuApplication, which the form needs, started as on a first run.
#define LOGINFORM_TEST_MAIN(TestClass)                                                                                 \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        QDir(kuApplication::configPath()).removeRecursively();                                                         \
        QPointer<kuApplication> app = kuApplication::createInstance(argc, argv);                                       \
        registerWinType();                                                                                             \
        int rc = 0;                                                                                                    \
        {                                                                                                              \
            TestClass test;                                                                                            \
            rc = QTest::qExec(&test, argc, argv);                                                                      \
        }                                                                                                              \
        delete app.data();                                                                                             \
        return rc;                                                                                                     \
    }
