#pragma once

#include "kuapplication.h"
#include "wintype.h"

#include <QDir>
#include <QPointer>
#include <QtTest>

// The main of a main-window test: the test object runs in a fresh application
// without saved configuration and goes before the application does.
template <typename Test>
int runClientTest(int argc, char** argv)
{
    QDir(kuApplication::configPath()).removeRecursively();
    QPointer<kuApplication> app = kuApplication::createInstance(argc, argv);
    app->setQuitOnLastWindowClosed(false);
    registerWinType();
    int rc = 0;
    {
        Test test;
        rc = QTest::qExec(&test, argc, argv);
    }
    delete app.data();
    return rc;
}
