#include "kuchartdialogs.h"

#include "kufunctions.h"

#include <QDialog>
#include <QFileDialog>

namespace {

struct Hooks
{
    kuChartDialogs::Exec exec;
    kuChartDialogs::SaveFileName saveFileName;
    kuChartDialogs::ColorPick color;
    kuChartDialogs::Warning warning;
};

Hooks& hooks()
{
    static Hooks h;
    return h;
}

} // namespace

int kuChartDialogs::exec(QDialog* dialog)
{
    if (!dialog)
        return QDialog::Rejected;
    return hooks().exec ? hooks().exec(dialog) : dialog->exec();
}

QString kuChartDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    if (hooks().saveFileName)
        return hooks().saveFileName(parent, caption, filter);
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}

QColor kuChartDialogs::color(const QColor& initial, const QString& title, QColorDialog::ColorDialogOptions options)
{
    if (hooks().color)
        return hooks().color(initial, title, options);
    return QColorDialog::getColor(initial, nullptr, title, options);
}

void kuChartDialogs::warning(const QString& text)
{
    if (hooks().warning)
        hooks().warning(text);
    else
        showWarning(text);
}

void kuChartDialogs::setExec(Exec run)
{
    hooks().exec = std::move(run);
}

void kuChartDialogs::setSaveFileName(SaveFileName ask)
{
    hooks().saveFileName = std::move(ask);
}

void kuChartDialogs::setColor(ColorPick pick)
{
    hooks().color = std::move(pick);
}

void kuChartDialogs::setWarning(Warning show)
{
    hooks().warning = std::move(show);
}
