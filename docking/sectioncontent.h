#pragma once

#include <QMetaType>
#include <QPointer>
#include <QSharedPointer>
#include <QString>
#include <QWeakPointer>
#include <QWidget>

namespace ads {

class ContainerWidget;

// One dockable item: a caller's title widget and content widget under a
// unique name. Made only by newSectionContent, handled through RefPtr.
class SectionContent
{
public:
    using RefPtr = QSharedPointer<SectionContent>;
    using WeakPtr = QWeakPointer<SectionContent>;

    // Flag bits. Only ClosesOnHide is tested; the other two bits are set by default.
    enum Flag : int
    {
        ClosesOnHide = 0x1, // hiding closes the content instead of keeping it hidden
        DefaultFlags = 0x7,
        KeptWhenHidden = DefaultFlags & ~ClosesOnHide,
    };
    // Written by the container's show and hide; bit 0 set reads as hidden.
    enum VisibilityState : int
    {
        Closed = 0,
        Hidden = 1,
        Visible = 2,
    };

    static RefPtr newSectionContent(const QString& uniqueName, ContainerWidget* container, QWidget* title,
                                    QWidget* content);
    virtual ~SectionContent();

    int uid() const { return _uid; }
    QString uniqueName() const { return _uniqueName; }
    ContainerWidget* containerWidget() const;
    QWidget* titleWidget() const { return _titleWidget.data(); }
    QWidget* contentWidget() const { return _contentWidget.data(); }

    int flags() const { return _flags; }
    void setFlags(int flags) { _flags = flags; }

    QString title() const { return _title; }
    void setTitle(const QString& title) { _title = title; }
    QString visibleTitle() const { return _title.isEmpty() ? _uniqueName : _title; }

    int visibilityState() const { return _visibilityState; }
    void setVisibilityState(const int& state) { _visibilityState = state; }

private:
    SectionContent();
    Q_DISABLE_COPY(SectionContent)
    friend class ContainerWidget;

    int _uid;
    QString _uniqueName;
    QPointer<ContainerWidget> _containerWidget;
    QPointer<QWidget> _titleWidget;
    QPointer<QWidget> _contentWidget;
    QString _title;
    int _flags = DefaultFlags;
    int _visibilityState = Visible;
};

} // namespace ads

Q_DECLARE_METATYPE(ads::SectionContent::RefPtr)
