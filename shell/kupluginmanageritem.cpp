#include "kupluginmanageritem.h"

#include "kupluginmanagerdownloader.h"

kuPluginManagerItem::kuPluginManagerItem(const QString& title, const QString& description, const QString& guid,
                                         int version, int status, double price, const QImage& icon)
    : m_title(title), m_description(description), m_guid(guid), m_version(version), m_status(status),
      m_loadedStatus(status & ~kuPluginTable::runOnlyBits), m_price(price), m_icon(icon)
{
    m_downloader = new kuPluginManagerDownloader(this);
    connect(m_downloader, &kuPluginManagerDownloader::needUpdate, this, &kuPluginManagerAbstractItem::needUpdate);
    connect(m_downloader, &kuPluginManagerDownloader::on_downloadReady, this, [this] { m_status |= psInstallPending; });
    connect(m_downloader, &kuPluginManagerDownloader::on_downloadFailed, this, [this] {
        m_status &= ~psInstallPending;
        m_failed = true;
    });
}

kuPluginManagerItem::~kuPluginManagerItem()
{
    if (m_downloader)
        m_downloader->stop();
    const int stored = m_status & ~kuPluginTable::runOnlyBits;
    if (stored == m_loadedStatus)
        return;
    kuPluginTable().setStatus(m_guid, stored);
}

uint kuPluginManagerItem::stateFlags() const
{
    uint flags = prSwitchable;
    if (m_changed) {
        if (m_status & psRemovePending)
            flags |= prRemovePending;
        else if (m_status & psEnabled)
            flags |= prEnablePending;
        else
            flags |= prDisablePending;
    }
    if (m_status & psUpdateAvailable)
        flags |= prUpdateAvailable;
    if (m_downloader && m_downloader->isDownloading())
        flags |= prDownloading;
    if (m_downloader && m_downloader->isFinished())
        flags |= prInstallPending;
    if (m_failed)
        flags |= prFailed;
    return flags;
}

kuPluginManagerDownloader* kuPluginManagerItem::downloader() const
{
    return m_downloader;
}

int kuPluginManagerItem::downloadProgress() const
{
    return m_downloader ? m_downloader->progress() : 0;
}

void kuPluginManagerItem::setBit(int bit, bool on)
{
    if (on)
        m_status |= bit;
    else
        m_status &= ~bit;
}

void kuPluginManagerItem::setInstalled(bool installed)
{
    setBit(psInstalled, installed);
}

void kuPluginManagerItem::setUpdateAvailable(bool available)
{
    setBit(psUpdateAvailable, available);
}

void kuPluginManagerItem::setEnabled(bool enabled)
{
    if (enabled)
        enable();
    else
        disable();
}

void kuPluginManagerItem::install()
{
    if (isInstalled() || !m_downloader)
        return;
    m_failed = false;
    m_downloader->start(m_guid);
}

void kuPluginManagerItem::update()
{
    if (!isUpdateAvailable() || !m_downloader)
        return;
    m_failed = false;
    m_downloader->start(m_guid);
}

void kuPluginManagerItem::choose(int status)
{
    m_changed = true;
    m_status = status;
    emit needUpdate();
}

void kuPluginManagerItem::enable()
{
    choose(m_status | psEnabled);
}

void kuPluginManagerItem::disable()
{
    choose(m_status & ~psEnabled);
}

void kuPluginManagerItem::remove()
{
    choose(m_status | psRemovePending);
}

void kuPluginManagerItem::cancel()
{
    m_status = m_loadedStatus | (m_status & kuPluginTable::runOnlyBits);
    m_changed = false;
    m_failed = false;
    if (m_downloader)
        m_downloader->cancel();
    emit needUpdate();
}
