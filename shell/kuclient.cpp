#include "kuclient.h"

namespace {
QPointer<kuClient> g_client;
}

kuClient::kuClient(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("kuClient"));
    setWindowTitle(QStringLiteral("Velmoran"));
}

QPointer<kuClient> kuClient::createInstance(QWidget* parent)
{
    if (!g_client)
        g_client = new kuClient(parent);
    return g_client;
}

QPointer<kuClient> kuClient::instance()
{
    return createInstance(nullptr);
}
