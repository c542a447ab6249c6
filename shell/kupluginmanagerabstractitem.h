#pragma once

#include <QImage>
#include <QObject>
#include <QString>

// One row of the plug-in catalogue as the model and its delegate see it.
class kuPluginManagerAbstractItem : public QObject
{
    Q_OBJECT
public:
    explicit kuPluginManagerAbstractItem(QObject* parent = nullptr);

    virtual uint stateFlags() const;
    virtual QString title() const = 0;
    virtual QString description() const = 0;
    virtual QImage icon() const = 0;
    virtual int version() const = 0;
    virtual bool isInstalled() const;
    virtual bool isEnabled() const;
    virtual bool reservedFlag() const;
    virtual QString guid() const = 0;
    virtual int downloadProgress() const;
    virtual double price() const;

signals:
    void needUpdate();
};
