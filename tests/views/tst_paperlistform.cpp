#include "kuclient.h"
#include "kupaperlistform.h"
#include "kupaperlistmodel.h"
#include "kupaperlistview.h"
#include "paperfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QStringList allTickers{"BRNH-B3", "RTS-3.27", "USDVLM", "VIX-3.27", "VLMR"};
} // namespace

// The instrument chooser: filling, search, exchanges, options, the current row and refills.
class tst_PaperListForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<kuPaperListForm> m_form;

    template <typename T>
    T* w(const char* name)
    {
        T* widget = m_form->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    kuPaperListView* table() { return w<kuPaperListView>("paperTableView"); }
    QComboBox* combo() { return w<QComboBox>("comboExchange"); }
    QLineEdit* line() { return w<QLineEdit>("linePaperSearch"); }
    QCheckBox* optionsBox() { return w<QCheckBox>("checkShowOptions"); }

    QStringList shown()
    {
        const QAbstractItemModel* model = table()->model();
        QStringList result;
        for (int row = 0; row < model->rowCount(); ++row)
            result << model->index(row, 2).data().toString();
        return result;
    }
    QStringList comboTexts()
    {
        QStringList result;
        for (int i = 0; i < combo()->count(); ++i)
            result << combo()->itemText(i);
        return result;
    }
    // As the user types: the search reacts to edits only.
    void type(const QString& text)
    {
        line()->clear();
        // Key events with text, as a keyboard layout gives them; QTest knows ASCII keys only.
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(line(), &press);
        }
        QCOMPARE(line()->text(), text);
    }

private slots:
    void initTestCase() { addTestPapers(); }

    void init() { m_form = std::make_unique<kuPaperListForm>(); }

    void cleanup() { m_form.reset(); }

    void form()
    {
        QCOMPARE(m_form->objectName(), QString("kuPaperListForm"));
        QCOMPARE(m_form->windowTitle(), QString("Выбор финансового инструмента"));
        QVERIFY(m_form->isModal());
        QCOMPARE(m_form->windowModality(), Qt::WindowModal);
        QVERIFY(!(m_form->windowFlags() & Qt::WindowContextHelpButtonHint));
        QCOMPARE(m_form->size(), QSize(634, 383));
        QVERIFY(!table()->horizontalHeader()->sectionsMovable());
        QVERIFY(table()->horizontalHeader()->stretchLastSection());
        QVERIFY(table()->verticalHeader()->isHidden());
        QVERIFY(table()->isSortingEnabled());
        QCOMPARE(table()->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(table()->editTriggers(), QAbstractItemView::NoEditTriggers);
        QStringList titles;
        for (int column = 1; column < table()->model()->columnCount(); ++column)
            titles << table()->model()->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"Площадка", "Тикер", "Крат. \n наименование", "Эмитент", "Тип"}));
        QCOMPARE(table()->model()->headerData(3, Qt::Horizontal, Qt::ToolTipRole).toString(),
                 QString("Краткое наименование инструмента"));
        QVERIFY(table()->isColumnHidden(0));
        QCOMPARE(table()->model()->rowCount(), 0);
        QVERIFY(!optionsBox()->isEnabled());
        QVERIFY(!optionsBox()->isChecked());
        QCOMPARE(m_form->currentPaperID(), 0);
    }

    void loadingComplete()
    {
        combo()->setEnabled(false);
        m_form->loadingComplete();
        QCOMPARE(shown(), allTickers);
        QCOMPARE(comboTexts(), (QStringList{"Все", "ВФБ", "ВСР", "FORTS"}));
        QCOMPARE(combo()->currentIndex(), 0);
        QVERIFY(combo()->isEnabled());
        QVERIFY(!optionsBox()->isEnabled()); // no options in the registry yet
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("tickers");
        QTest::newRow("ticker, lower case") << "vlmr" << QStringList{"VLMR"};
        QTest::newRow("short name and issuer") << "ВЕЛМ" << QStringList{"USDVLM", "VLMR"};
        QTest::newRow("issuer fragment") << "бАнК" << QStringList{"BRNH-B3"};
        QTest::newRow("type name") << "облиг" << QStringList{"BRNH-B3"};
        QTest::newRow("exchange name is not searched") << "вср" << QStringList{};
        QTest::newRow("nothing") << "zzz" << QStringList{};
    }

    void search()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, tickers);
        m_form->loadingComplete();
        type(text);
        QCOMPARE(shown(), tickers);
        // The first row left is the one Ok chooses.
        QCOMPARE(table()->currentIndex().row(), tickers.isEmpty() ? -1 : 0);
        line()->selectAll();
        QTest::keyClick(line(), Qt::Key_Delete);
        QCOMPARE(shown(), allTickers);
    }

    void exchangeKeepsSearchText()
    {
        m_form->loadingComplete();
        type("фьюч");
        QCOMPARE(shown(), (QStringList{"RTS-3.27", "VIX-3.27"}));
        combo()->setCurrentIndex(combo()->findText("ВСР"));
        QCOMPARE(line()->text(), QString("фьюч"));
        QCOMPARE(shown(), QStringList{"VIX-3.27"});
        combo()->setCurrentIndex(1);
        QCOMPARE(shown(), QStringList{});
        combo()->setCurrentIndex(0);
        QCOMPARE(shown(), (QStringList{"RTS-3.27", "VIX-3.27"}));
    }

    void options()
    {
        addTestOptions();
        m_form->loadingComplete();
        QVERIFY(optionsBox()->isEnabled());
        optionsBox()->setChecked(true);
        QCOMPARE(combo()->currentText(), QString("FORTS"));
        QVERIFY(!combo()->isEnabled());
        QCOMPARE(shown(), QStringList{"RTS120BC7"});

        optionsBox()->setChecked(false);
        QCOMPARE(shown(), allTickers);
        QVERIFY(combo()->isEnabled());
        QCOMPARE(combo()->currentIndex(), 0);
        QCOMPARE(comboTexts(), (QStringList{"Все", "ВФБ", "ВСР", "FORTS"}));

        // A new run from the main window shows the full list and says so.
        optionsBox()->setChecked(true);
        m_form->loadingComplete();
        QVERIFY(!optionsBox()->isChecked());
        QCOMPARE(shown(), allTickers);
    }

    // Every opening puts the first row current and the focus in the table.
    void opening()
    {
        m_form->loadingComplete();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        QCOMPARE(table()->currentIndex().row(), 0);
        QVERIFY(table()->hasFocus());
        QCOMPARE(m_form->currentPaperID(), int(paper::bond));

        table()->setCurrentIndex(QModelIndex());
        QCOMPARE(m_form->currentPaperID(), 0);
        type("zzz");
        m_form->hide();
        m_form->show();
        QCOMPARE(m_form->currentPaperID(), 0);

        type("vlmr");
        m_form->hide();
        line()->setFocus();
        m_form->show();
        QCOMPARE(m_form->focusWidget(), table());
        QCOMPARE(m_form->currentPaperID(), int(paper::share));
    }

    void narrowedExchanges_data()
    {
        QTest::addColumn<QList<int>>("exchanges");
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<QStringList>("tickers");
        QTest::newRow("one known, one unknown")
                << QList<int>{1, 99} << QStringList{"Все", "ВФБ"} << QStringList{"BRNH-B3", "USDVLM", "VLMR"};
        QTest::newRow("two known") << QList<int>{3, 2} << QStringList{"Все", "ВСР", "FORTS"}
                                   << QStringList{"RTS-3.27", "VIX-3.27"};
        // "Все" of no exchange must not offer instruments the account cannot trade.
        QTest::newRow("none known") << QList<int>{98, 99} << QStringList{"Все"} << QStringList{};
        QTest::newRow("empty") << QList<int>{} << QStringList{"Все"} << QStringList{};
    }

    void narrowedExchanges()
    {
        QFETCH(QList<int>, exchanges);
        QFETCH(QStringList, choices);
        QFETCH(QStringList, tickers);
        m_form->loadingComplete();
        combo()->setCurrentIndex(2);
        m_form->setFilterExchange(QSet<qint32>(exchanges.begin(), exchanges.end()));
        QCOMPARE(comboTexts(), choices);
        QCOMPARE(combo()->currentIndex(), 0);
        QCOMPARE(shown(), tickers);
        m_form->show();
        QCOMPARE(m_form->currentPaperID() != 0, !tickers.isEmpty());

        // A search typed earlier still applies.
        type("ф");
        m_form->setFilterExchange(QSet<qint32>(exchanges.begin(), exchanges.end()));
        QCOMPARE(line()->text(), QString("ф"));
        QStringList futures;
        for (const QString& ticker : tickers)
            if (ticker.endsWith("-3.27"))
                futures << ticker;
        QCOMPARE(shown(), futures);

        // A run from the main window offers everything again.
        line()->clear();
        m_form->loadingComplete();
        QCOMPARE(shown(), allTickers);
    }

    void narrowedOptions_data()
    {
        QTest::addColumn<QList<int>>("exchanges");
        QTest::addColumn<QString>("exchange");
        QTest::addColumn<QStringList>("tickers");
        QTest::newRow("with FORTS") << QList<int>{1, 3} << "FORTS" << QStringList{"RTS120BC7"};
        QTest::newRow("other derivatives") << QList<int>{1, 2} << "Все" << QStringList{"VIX125BO7"};
        // An account without derivatives is offered no option it could not trade.
        QTest::newRow("shares only") << QList<int>{1} << "Все" << QStringList{};
    }

    // From the order entry the option switch keeps to the account's exchanges.
    void narrowedOptions()
    {
        QFETCH(QList<int>, exchanges);
        QFETCH(QString, exchange);
        QFETCH(QStringList, tickers);
        addTestOptions();
        m_form->loadingComplete();
        m_form->setFilterExchange(QSet<qint32>(exchanges.begin(), exchanges.end()));
        optionsBox()->click();
        QVERIFY(optionsBox()->isChecked());
        QCOMPARE(combo()->currentText(), exchange);
        QVERIFY(!combo()->isEnabled());
        QCOMPARE(shown(), tickers);
    }

    // The main window hands the chooser out and reads the chosen instrument.
    void chosenThroughTheMainWindow()
    {
        kuPaperListForm::registerWithClient();
        const QPointer<kuClient> client = kuClient::instance();
        QVERIFY(client);
        kuPaperListForm* chooser = client->paperListForm();
        QVERIFY(chooser);
        QCOMPARE(chooser->parentWidget(), client.data());
        QCOMPARE(client->paperListForm(), chooser);
        QTimer::singleShot(0, chooser, [chooser] {
            chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        QCOMPARE(client->choosePaper(), int(paper::bond));
        QTimer::singleShot(0, chooser, [chooser] {
            chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        });
        QCOMPARE(client->choosePaper(), 0);
    }

    // Rows are made again only when the registry changed since they were made. Last:
    // it adds and replaces instruments.
    void rowsRemadeOnlyAfterAChange()
    {
        QSignalSpy resets(static_cast<QSortFilterProxyModel*>(table()->model())->sourceModel(),
                          &QAbstractItemModel::modelReset);
        m_form->loadingComplete();
        QCOMPARE(resets.count(), 1);
        m_form->loadingComplete();
        m_form->setFilterExchange({1, 2, 3});
        QCOMPARE(resets.count(), 1);

        addPaper(makePaper(paper::share, "VLMR", "ПАО \"Велморан\"", "Велморан", 1, 1));
        addPaper(makePaper(95, "AAA", "Новый", "Новый", 1, 1));
        // From the order entry: no refill by the caller, yet no blank rows.
        m_form->setFilterExchange({1});
        QCOMPARE(resets.count(), 2);
        QCOMPARE(shown(), (QStringList{"AAA", "BRNH-B3", "USDVLM", "VLMR"}));
        const QAbstractItemModel* model = table()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            QVERIFY(model->index(row, 0).data(kuPaperListModel::PaperIDRole).toInt() != 0);
        m_form->loadingComplete();
        QCOMPARE(resets.count(), 2);
    }
};

QTEST_MAIN(tst_PaperListForm)
#include "tst_paperlistform.moc"
