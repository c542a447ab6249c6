#pragma once

#include <QColor>
#include <QColorDialog>
#include <QString>

#include <functional>

class QDialog;
class QWidget;

// Every modal question the chart asks goes through here, so that tests can
// answer instead of a user. The defaults run the real dialogs. GUI thread only.
class kuChartDialogs
{
public:
    kuChartDialogs() = delete;

    using Exec = std::function<int(QDialog* dialog)>;
    using SaveFileName = std::function<QString(QWidget* parent, const QString& caption, const QString& filter)>;
    using ColorPick = std::function<QColor(const QColor& initial, const QString& title,
                                           QColorDialog::ColorDialogOptions options)>;
    using Warning = std::function<void(const QString& text)>;

    // The dialog's result code.
    static int exec(QDialog* dialog);
    // Empty when the user cancelled.
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& filter);
    // Invalid when the user cancelled.
    static QColor color(const QColor& initial, const QString& title, QColorDialog::ColorDialogOptions options);
    static void warning(const QString& text);

    // An empty function restores the real dialog.
    static void setExec(Exec run);
    static void setSaveFileName(SaveFileName ask);
    static void setColor(ColorPick pick);
    static void setWarning(Warning show);
};
