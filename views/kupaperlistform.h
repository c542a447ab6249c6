#pragma once

#include <QDialog>
#include <QSet>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSignalMapper;
class Ui_kuPaperListForm;
class kuPaperListModel;
class kuPaperListProxyModel;
class kuPaperListView;

// The dialog in which the user picks one instrument of the registry: a table
// with an exchange choice, a search line and a switch to the options. One
// instance, made and owned by the main window and reused; the rows are made
// again only when the registry has changed since they were made.
class kuPaperListForm : public QDialog
{
    Q_OBJECT
public:
    explicit kuPaperListForm(QWidget* parent = nullptr);
    ~kuPaperListForm() override;

    // Lets the main window make and refill this dialog.
    static void registerWithClient();

    // The instrument of the current row; 0 without one.
    int currentPaperID() const;

public slots:
    // The registry's instruments over all its exchanges, options off.
    void loadingComplete();
    // Only those of the given exchanges that the registry knows; none known shows no rows.
    void setFilterExchange(QSet<qint32> exchangeList);
    void slot_filterAccepted(QString name);
    void slot_filterAccepted();
    void slot_showOptions(int state);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Makes the rows again when the registry changed since they were made or the other table is wanted.
    void fillRows(bool options);

    std::unique_ptr<Ui_kuPaperListForm> ui;
    kuPaperListModel* m_model = nullptr;
    kuPaperListProxyModel* m_proxy = nullptr;
    QSignalMapper* m_mapper = nullptr;
    QComboBox* comboExchange = nullptr;
    QLineEdit* linePaperSearch = nullptr;
    kuPaperListView* paperTableView = nullptr;
    QCheckBox* checkShowOptions = nullptr;
    // The registry's change count the rows were made at, and which table they show.
    quint64 m_filledAt = 0;
    bool m_filled = false;
    bool m_filledOptions = false;
    // Narrowed to exchanges the registry does not know.
    bool m_noExchange = false;
};
