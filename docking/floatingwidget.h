#pragma once

#include <QPointer>
#include <QWidget>

#include "internalcontentdata.h"
#include "sectioncontent.h"

class QBoxLayout;

namespace ads {

class ContainerWidget;
class SectionTitleWidget;
class SectionContentWidget;

// A free tool window holding one content: its tab title with a close
// button in one row, the content below.
class FloatingWidget : public QWidget
{
    Q_OBJECT

public:
    FloatingWidget(ContainerWidget* container, const SectionContent::RefPtr& sc, SectionTitleWidget* titleWidget,
                   SectionContentWidget* contentWidget, QWidget* parent = nullptr);
    ~FloatingWidget() override;

    bool takeContent(InternalContentData& data);
    SectionContent::RefPtr content() const { return _content; }
    SectionTitleWidget* titleWidget() const { return _titleWidget; }
    SectionContentWidget* contentWidget() const { return _contentWidget; }

private slots:
    void onCloseButtonClicked();

private:
    QPointer<ContainerWidget> _container;
    SectionContent::RefPtr _content;
    SectionTitleWidget* _titleWidget = nullptr;
    SectionContentWidget* _contentWidget = nullptr;
    QBoxLayout* _titleLayout = nullptr;
};

} // namespace ads
