#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Images of a resource theme found by bare file name anywhere below the
// theme's folder, and cached. An empty theme means the application's current
// one. GUI thread only.
class kuIconManager
{
public:
    kuIconManager() = delete;

    // Cleaned absolute path of the image, or empty when no file matches.
    static QString iconPath(const QString& name, const QString& theme = QString());
    // Null when the image cannot be loaded (warned once per image).
    static QPixmap pixmap(const QString& name, const QString& theme = QString());
    // Empty when there is no pixmap.
    static QIcon icon(const QString& name, const QString& theme = QString());
    // Depth first: a match in a folder wins over its sub-folders, which are
    // searched in name order. First match or empty.
    static QString scanDirectory(const QString& folder, const QString& name, bool descend);
};
