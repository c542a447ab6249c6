#include "kuclient.h"

#include "kuabstractdataconverter.h"
#include "kuactionsmenubar.h"
#include "kuapplication.h"
#include "kuclientmakers.h"
#include "kuconnectionmanager.h"
#include "kufunctions.h"
#include "kulightboxwidget.h"
#include "kutabwidget.h"
#include "kutoolbar.h"
#include "kuworkspace.h"

#include <QCoreApplication>
#include <QDialog>
#include <QJsonValue>

QJsonArray kuClient::windowsState()
{
    QJsonArray settings;
    kuTabWidget* tabs = tabWidget();
    for (int i = 0; i < tabs->count(); ++i) {
        kuWorkSpace* page = tabs->workSpace(i);
        if (!page)
            continue;
        for (QJsonObject window : page->windowStates()) {
            window.insert(QStringLiteral("tabIndex"), i);
            settings.append(window);
        }
    }
    return settings;
}

QJsonObject kuClient::saveState()
{
    QJsonObject layout;
    const QByteArray geometry = saveGeometry();
    layout.insert(QStringLiteral("geometry"), geometry.isNull() ? QString() : QString::fromLatin1(geometry.toBase64()));
    layout.insert(QStringLiteral("settings"), windowsState());
    QJsonArray tabs;
    kuTabWidget* tabWidget = this->tabWidget();
    for (int i = 0; i < tabWidget->count(); ++i) {
        kuWorkSpace* page = tabWidget->workSpace(i);
        if (!page)
            continue;
        tabs.append(QJsonObject{{QStringLiteral("index"), i},
                                {QStringLiteral("name"), tabWidget->tabName(i)},
                                {QStringLiteral("state"), QString::fromLatin1(page->saveDockState().toBase64())}});
    }
    layout.insert(QStringLiteral("tabs"), tabs);
    return layout;
}

void kuClient::restoreWindows(QJsonArray settings)
{
    const QPointer<kuClient> self = this;
    for (const QJsonValue& value : qAsConst(settings)) {
        // Keeps the interface live while many windows are made.
        QCoreApplication::processEvents();
        if (!self)
            return;
        const QJsonObject object = value.toObject();
        const QJsonValue tabIndex = object.value(QStringLiteral("tabIndex"));
        kuWorkSpace* page = tabIndex.isUndefined() ? currentWorkSpace() : workSpace(tabIndex.toInt(-1));
        if (!page)
            continue;
        const QString name = object.contains(QStringLiteral("objectName"))
                                     ? object.value(QStringLiteral("objectName")).toString()
                                     : QString();
        const int paperID = object.value(QStringLiteral("paperID")).toInt();
        switch (object.value(QStringLiteral("winType")).toInt()) {
        case wtQuotes:
            addQuotesWindow(page, object);
            break;
        case wtChart:
            if (paperID != 0)
                addChartWindow(page, paperID, name, object);
            break;
        case wtOrderBook:
            if (paperID != 0)
                addOrderBookWindow(page, paperID, name, object);
            break;
        case wtLastTrades:
            if (paperID != 0)
                addLastTradesWindow(page, paperID, name, object);
            break;
        case wtPortfolio:
            addPortfolioWindow(page, name, object);
            break;
        case wtOrders:
            addOrdersWindow(page, object);
            break;
        case wtTrades:
            addTradesWindow(page, object);
            break;
        default:
            break;
        }
    }
}

void kuClient::restoreState(QJsonObject appSetting)
{
    // The restore processes events: a second instrument list or a menu command
    // must not start another one in the middle.
    if (m_restoring)
        return;
    m_restoring = true;
    disconnect(m_restoreBinding);
    const QPointer<kuClient> self = this;
    if (m_menuBar)
        m_menuBar->setEnabled(false);
    if (m_toolBar)
        m_toolBar->setEnabled(false);

    const QPointer<kuApplication> app = kuApplication::instance();
    const QJsonObject source =
            !appSetting.isEmpty()
                    ? appSetting.value(QStringLiteral("application")).toObject()
                    : (app ? app->appSettings().value(QStringLiteral("application")).toObject() : QJsonObject());
    kuTabWidget* tabs = tabWidget();
    if (!source.isEmpty()) {
        if (source.contains(QStringLiteral("geometry")))
            restoreGeometry(QByteArray::fromBase64(source.value(QStringLiteral("geometry")).toString().toLatin1()));
        const QJsonArray tabObjects = source.value(QStringLiteral("tabs")).toArray();
        // The saved tabs replace what is there (the empty start workspace).
        if (!tabObjects.isEmpty())
            tabs->removeAllWorkSpace();
        for (const QJsonValue& tab : tabObjects) {
            const QJsonValue name = tab.toObject().value(QStringLiteral("name"));
            tabs->addWorkSpace(new kuWorkSpace(tabs), name.isUndefined() ? QString() : name.toString());
        }
        if (tabs->count() == 0)
            tabs->addWorkSpace(new kuWorkSpace(tabs), tr("Рабочий стол"));
        if (source.contains(QStringLiteral("settings")))
            restoreWindows(source.value(QStringLiteral("settings")).toArray());
        if (!self)
            return;
        // Only now: the docking states arrange sections that must already be docked.
        for (int i = 0; i < tabObjects.size(); ++i) {
            const QJsonObject tab = tabObjects.at(i).toObject();
            kuWorkSpace* page = workSpace(i);
            if (page && tab.contains(QStringLiteral("state")))
                page->restoreDockState(
                        QByteArray::fromBase64(tab.value(QStringLiteral("state")).toString().toLatin1()));
        }
        setTitle(app ? app->settingsFilePath() : QString());
    }
    if (tabs->count() == 0)
        tabs->addWorkSpace(new kuWorkSpace(tabs), tr("Рабочий стол"));
    updateRemoveWorkspaceAction();
    if (m_lightBox)
        m_lightBox->hide();
    endRestoreBinding();
    if (m_menuBar)
        m_menuBar->setEnabled(true);
    if (m_toolBar)
        m_toolBar->setEnabled(true);
    m_restoring = false;
    m_layoutRestored = true;
}

void kuClient::restoreState()
{
    restoreState(QJsonObject());
}

void kuClient::connectErrorBinding()
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    const QPointer<kuAbstractDataConverter> converter = manager ? manager->dataConverter() : nullptr;
    if (!converter)
        return;
    disconnect(m_errorBinding);
    m_errorBinding = connect(converter, &kuAbstractDataConverter::on_receviedError, this, &kuClient::slot_showError);
}

void kuClient::endRestoreBinding()
{
    disconnect(m_errorBinding);
    // Only our own binding: others listen to the instrument list too.
    disconnect(m_restoreBinding);
}

// ---- saved settings files ----

void kuClient::slot_saveWorkSpace()
{
    const kuClientMakers& c = clientMakers();
    if (m_restoring || !c.makeWorkspaceSetting)
        return;
    const auto made = c.makeWorkspaceSetting();
    const QPointer<QDialog> dialog = made.second;
    if (made.first && c.appendSetting)
        c.appendSetting(made.first);
    delete dialog.data();
}

void kuClient::slot_loadWorkSpace()
{
    const kuClientMakers& c = clientMakers();
    if (m_restoring || !c.makeWorkspaceSetting)
        return;
    const auto made = c.makeWorkspaceSetting();
    const QPointer<QDialog> dialog = made.second;
    if (!dialog)
        return;
    const bool accepted = dialog->exec() == QDialog::Accepted;
    const QString path = accepted && dialog && c.loadedPath ? c.loadedPath(made.first) : QString();
    delete dialog.data();
    if (path.isEmpty())
        return;
    // Read before anything goes: a file gone or damaged since it was chosen leaves the layout as it is.
    QJsonObject root;
    QString problem;
    const QPointer<kuApplication> app = kuApplication::instance();
    if (!app || !kuApplication::readLayoutFile(path, &root, &problem)) {
        showError(app ? problem : tr("Не удалось загрузить настройки из файла %1").arg(path));
        return;
    }

    kuTabWidget* tabs = tabWidget();
    for (int i = 0; i < tabs->count(); ++i) {
        if (kuWorkSpace* page = tabs->workSpace(i))
            page->hideWindows();
    }
    tabs->removeAllWorkSpace();
    if (m_lightBox)
        m_lightBox->show();
    app->setAppSettings(app->loadSettings(path));
    connectErrorBinding();
    restoreState(QJsonObject());
}
