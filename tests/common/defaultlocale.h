#pragma once

#include <QLocale>
#include <QString>

// The default locale for as long as this lives, given back even when a check fails on the way.
class DefaultLocale
{
public:
    explicit DefaultLocale(const QString& name) { QLocale::setDefault(QLocale(name)); }
    ~DefaultLocale() { QLocale::setDefault(m_saved); }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;

private:
    QLocale m_saved;
};
