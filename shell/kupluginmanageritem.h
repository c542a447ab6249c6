#pragma once

#include "kupluginmanagerabstractitem.h"
#include "kuplugintable.h"

#include <QPointer>

class kuPluginManagerDownloader;

// A catalogue entry: carries out the user's choices and writes its status
// back to table "plugins" when it goes, if it differs from what was loaded.
class kuPluginManagerItem : public kuPluginManagerAbstractItem
{
    Q_OBJECT
public:
    kuPluginManagerItem(const QString& title, const QString& description, const QString& guid, int version, int status,
                        double price, const QImage& icon);
    ~kuPluginManagerItem() override;

    uint stateFlags() const override;
    QString title() const override { return m_title; }
    QString description() const override { return m_description; }
    QImage icon() const override { return m_icon; }
    int version() const override { return m_version; }
    bool isInstalled() const override { return m_status & psInstalled; }
    bool isEnabled() const override { return m_status & psEnabled; }
    QString guid() const override { return m_guid; }
    int downloadProgress() const override;
    double price() const override { return m_price; }

    int status() const { return m_status; }
    bool isUpdateAvailable() const { return m_status & psUpdateAvailable; }
    void setInstalled(bool installed);
    void setUpdateAvailable(bool available);
    void setEnabled(bool enabled);
    kuPluginManagerDownloader* downloader() const;

public slots:
    void install();
    void update();
    void enable();
    void disable();
    void remove();
    void cancel();

private:
    void choose(int status);
    void setBit(int bit, bool on);

    QString m_title;
    QString m_description;
    QString m_guid;
    int m_version;
    int m_status;
    // What the table holds; cancel returns to it and only a difference is written.
    const int m_loadedStatus;
    double m_price;
    bool m_changed = false;
    bool m_failed = false;
    QImage m_icon;
    QPointer<kuPluginManagerDownloader> m_downloader;
};
