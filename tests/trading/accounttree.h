#pragma once

// What a trader sees of an account window's tree and does to it: the accounts open or
// closed, their arrows, the search line and the account checks; and the cases every
// account window must keep the open accounts through.

#include "kucheckcombobox.h"
#include "kutreeview.h"
#include "kutreeviewmodel.h"

#include <QLineEdit>
#include <QtTest>

#include <functional>

namespace accounttree {

// The account's line as the view shows it, or invalid when the checks hide it.
inline QModelIndex line(const kuTreeView* view, const QString& account)
{
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        if (index.data(kuTreeViewModel::AccountRole).toString() == account)
            return index;
    }
    return QModelIndex();
}

// "ACC1+ ACC2-": open (+) or closed (-) behind its arrow; no mark for an account
// without arrow, "(hidden)" for one the view does not show.
inline QString states(const kuTreeView* view, const QStringList& accounts)
{
    QStringList shown;
    for (const QString& account : accounts) {
        const QModelIndex index = line(view, account);
        if (!index.isValid())
            shown << account + QStringLiteral("(hidden)");
        else if (view->accountArrowRect(index).isEmpty())
            shown << account;
        else
            shown << account + (view->isExpanded(index) ? QLatin1Char('+') : QLatin1Char('-'));
    }
    return shown.join(QLatin1Char(' '));
}

// A click on the account's arrow.
inline void clickArrow(kuTreeView* view, const QString& account)
{
    const QRect arrow = view->accountArrowRect(line(view, account));
    QVERIFY2(!arrow.isEmpty(), qPrintable(account));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, arrow.center());
}

// As the user types into the search line (an empty text clears it), so that it reports the edit.
inline void search(QLineEdit* line, const QString& text)
{
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Backspace);
    QTest::keyClicks(line, text);
    QCOMPARE(line->text(), text);
}

// The cases of checkSearch(): a window's rows after searching for VLMR, for "bi" (BIG in
// lower case), for a date text, and with the line cleared.
inline void searchCases(const QString& ticker, const QString& part, const QString& date, const QString& cleared)
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("rows");
    QTest::newRow("ticker") << "VLMR" << ticker;
    QTest::newRow("part, lower case") << "bi" << part;
    QTest::newRow("a date is no instrument") << "12.2026" << date;
    QTest::newRow("cleared") << "" << cleared;
}

// The window's search line after another search: it looks in the column its tool tip names,
// "Инструмент", and leaves the rows `shown` gives as the case's "rows".
inline void checkSearch(QWidget* window, kuTreeView* view, const std::function<QString()>& shown)
{
    QFETCH(QString, text);
    QFETCH(QString, rows);
    view->sortByColumn(1, Qt::AscendingOrder);
    auto* line = window->findChild<QLineEdit*>("lineSearch");
    QVERIFY(line->toolTip().contains("&quot;Инструмент&quot;"));
    QCOMPARE(view->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Инструмент"));
    search(line, "BIG");
    search(line, text);
    QCOMPARE(shown(), rows);
}

// The arrows clicked after the first snapshot, what comes next, and the states then.
// The first snapshot opens the current account ACC1; ACC2 has rows too.
inline void keptStateCases()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("states");
    QTest::newRow("first snapshot") << QStringList{} << ""
                                    << "ACC1+ ACC2-";
    QTest::newRow("opened, reconnected") << QStringList{"ACC2"} << "reconnect"
                                         << "ACC1+ ACC2+";
    QTest::newRow("current closed, reconnected") << QStringList{"ACC1"} << "reconnect"
                                                 << "ACC1- ACC2-";
    QTest::newRow("both turned, new session") << QStringList{"ACC1", "ACC2"} << "new session"
                                              << "ACC1- ACC2+";
    QTest::newRow("opened, closed again, new session") << QStringList{"ACC2", "ACC2"} << "new session"
                                                       << "ACC1+ ACC2-";
    QTest::newRow("both turned, checks changed") << QStringList{"ACC1", "ACC2"} << "checks"
                                                 << "ACC1- ACC2+";
}

// One case of keptStateCases() on a window that has shown its first snapshot: `reconnect`
// subscribes again on the same session (the stream is live: only the account checks are
// filled anew), `newSession` subscribes on a new one and sends the second snapshot.
inline void checkKeptStates(kuTreeView* view, kuCheckComboBox* box, const std::function<void()>& reconnect,
                            const std::function<void()>& newSession)
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, event);
    QFETCH(QString, states);
    const QStringList accounts{"ACC1", "ACC2"};
    for (const QString& account : clicks)
        clickArrow(view, account);
    if (event == QLatin1String("reconnect")) {
        reconnect();
    } else if (event == QLatin1String("new session")) {
        newSession();
    } else if (event == QLatin1String("checks")) {
        const QStringList all = box->checkedItems();
        box->setCheckedItems({"EMPTY"});
        QCOMPARE(accounttree::states(view, accounts), QStringLiteral("ACC1(hidden) ACC2(hidden)"));
        box->setCheckedItems(all);
    }
    QCOMPARE(accounttree::states(view, accounts), states);
}

} // namespace accounttree
