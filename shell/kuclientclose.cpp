#include "kuclient.h"

#include "kuabstractconn.h"
#include "kuapplication.h"
#include "kuconnectionmanager.h"
#include "kufunctions.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFont>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

void kuClient::closeEvent(QCloseEvent* event)
{
    QMessageBox box;
    QApplication::restoreOverrideCursor();
    QFont font = box.font();
    font.setPixelSize(14);
    font.setFamily(QStringLiteral("Tahoma"));
    font.setWeight(63);
    box.setFont(font);
    box.setWindowTitle(QString());
    box.setWindowIcon(QIcon());
    setTahomaFontTree(&box);
    box.setIcon(QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    box.setText(tr("Сохранить рабочее пространство?"));
    const int answer = box.exec();
    if (answer != QMessageBox::Yes && answer != QMessageBox::No) {
        event->ignore();
        return;
    }

    // A layout never put in place is not the user's: writing it would replace the saved one,
    // and so would writing over a damaged file the start could not set aside.
    // Written before the log-out, so that a failed write leaves the session as it was.
    const QPointer<kuApplication> app = kuApplication::instance();
    const bool keepDamaged = app && !app->mayOverwriteSettingsFile();
    if (answer == QMessageBox::Yes && m_layoutRestored && keepDamaged)
        qWarning().noquote() << "Layout not saved: the damaged file" << app->settingsFilePath() << "is kept";
    if (answer == QMessageBox::Yes && m_layoutRestored && !keepDamaged) {
        const QString path = app ? app->settingsFilePath() : QString();
        QString reason;
        if (!app || !app->saveSettings(saveState(), path, &reason)) {
            showError(reason.isEmpty()
                              ? tr("Не удалось сохранить рабочее пространство в файл %1").arg(path)
                              : tr("Не удалось сохранить рабочее пространство в файл %1: %2").arg(path, reason));
            event->ignore();
            return;
        }
    }

    // The log-out runs the interface live as the wait below does: its time counts towards the wait.
    QElapsedTimer closing;
    closing.start();
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    if (manager) {
        const QPointer<kuAbstractConn> connection = manager->connection();
        if (connection && manager->dataConverter()) {
            manager->blockAllSignals(true);
            connection->unAuthorize(QStringLiteral("Unknown"));
        }
    }
    hide();

    // Lets the requests and replies still under way finish, with the interface live.
    const qint64 left = m_closeWaitMs - closing.elapsed();
    if (left > 0) {
        QEventLoop loop;
        QTimer::singleShot(int(left), &loop, &QEventLoop::quit);
        loop.exec();
    }
    QWidget::closeEvent(event);
}
