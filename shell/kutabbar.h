#pragma once

#include <QTabBar>

// Workspace tabs below the pages; the last remaining tab cannot be closed.
class kuTabBar : public QTabBar
{
    Q_OBJECT

public:
    explicit kuTabBar(QWidget* parent = nullptr);

protected:
    void tabInserted(int index) override;
    void tabRemoved(int index) override;

private:
    void updateClosable();
};
