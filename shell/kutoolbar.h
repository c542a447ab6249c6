#pragma once

#include <QToolBar>

// The main window's tool bar: a right click opens no menu and does not reach the window.
class kuToolBar : public QToolBar
{
    Q_OBJECT

public:
    explicit kuToolBar(QWidget* parent = nullptr);
};
