#pragma once

// Accounts, instruments and message-box capture for the order entry tests.

#include "kuaccount.h"
#include "kupaperinfo.h"
#include "kupaperlist.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

// While it lives, closes every modal message box and keeps its text.
class BoxCatcher
{
public:
    BoxCatcher()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->property("caught").toBool())
                return;
            box->setProperty("caught", true);
            texts << box->text().trimmed();
            box->button(box->standardButtons() & QMessageBox::Close ? QMessageBox::Close : QMessageBox::Ok)->click();
        });
        m_timer.start(2);
    }

    QStringList texts;

private:
    QTimer m_timer;
};

namespace paper {
enum Id
{
    share = 101, // lot 10, step 0.05
    bond = 102,  // nominal 1000
    currency = 103,
    illiquid = 104, // no market orders
    type9 = 105,
    big = 106, // lot 1, step 0.01
    otherExchange = 201
};
} // namespace paper

inline void addTestPapers()
{
    auto add = [](int id, const QString& ticker, int type, int lot, double step, double nominal, bool market,
                  int exchange) {
        kuPaperList::instance()->addPaper(id, QSharedPointer<kuPaperInfo>::create(id, ticker, "Эмитент " + ticker, type,
                                                                                  lot, step, nominal, 0, 0.0, market,
                                                                                  ticker + " ао", "", exchange,
                                                                                  exchange == 1 ? "ММВБ" : "СПБ"));
    };
    add(paper::share, "VLMR", 1, 10, 0.05, 0, true, 1);
    add(paper::bond, "OBL", 2, 1, 0.01, 1000, true, 1);
    add(paper::currency, "USDRUB", 7, 1, 0.0025, 0, true, 1);
    add(paper::illiquid, "ILLQ", 1, 1, 0.01, 0, false, 1);
    add(paper::type9, "NINE", 9, 1, 0.01, 1000, true, 1);
    add(paper::big, "BIG", 1, 1, 0.01, 0, true, 1);
    add(paper::otherExchange, "GAZ2", 1, 1, 0.01, 0, true, 2);
}

inline void addTestAccounts()
{
    kuAccount::instance()->clear();
    kuAccount::instance()->addAccount("ACC1", true, 1, {1});
    kuAccount::instance()->addAccount("ACC2", false, 2, {2});
    kuAccount::instance()->addAccount("EMPTY", false, 3, {});
}
