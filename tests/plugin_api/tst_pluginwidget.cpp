#include <QtTest>

#include "kuabstractpluginwidget.h"

namespace {

class BareWindow : public kuAbstractPluginWidget
{
public:
    BareWindow() : kuAbstractPluginWidget(nullptr, nullptr, nullptr, nullptr) {}
};

} // namespace

class tst_PluginWidget : public QObject
{
    Q_OBJECT
private slots:
    // A window that describes no menu gets none, and says so each time it is asked.
    void defaultMenuEntries()
    {
        BareWindow window;
        for (int call = 0; call < 2; ++call) {
            QTest::ignoreMessage(QtWarningMsg, "Не удалось встроиться в меню приложения");
            QVERIFY(window.menuEntries().isEmpty());
        }
    }
};

QTEST_MAIN(tst_PluginWidget)
#include "tst_pluginwidget.moc"
