#pragma once

#include <QByteArray>
#include <QFrame>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QWeakPointer>

#include "adsglobals.h"
#include "hiddensectionitem.h"
#include "internalcontentdata.h"
#include "sectioncontent.h"

class QDataStream;
class QGridLayout;
#include <QSplitter>

namespace ads {

class DropOverlay;
class FloatingWidget;
class SectionWidget;
struct SectionIndexRecord;
struct HierarchyNode;

// Root of the docking layer of one workspace: a tree of splitters whose
// leaves are sections, plus floating windows and hidden contents.
class ContainerWidget : public QFrame
{
    Q_OBJECT

public:
    explicit ContainerWidget(QWidget* parent = nullptr);
    ~ContainerWidget() override;

    // Workspace interface.
    SectionWidget* addSectionContent(const SectionContent::RefPtr& sc, SectionWidget* sw = nullptr,
                                     DropArea area = CenterDropArea);
    bool showSectionContent(const SectionContent::RefPtr& sc);
    bool hideSectionContent(const SectionContent::RefPtr& sc);
    bool removeSectionContent(const SectionContent::RefPtr& sc);
    bool isSectionContentVisible(const SectionContent::RefPtr& sc);
    QList<SectionContent::RefPtr> contents() const;
    int visibleContentCount();
    bool hasSectionContent(const QString& uniqueName) const;
    SectionContent::RefPtr sectionContent(const QString& uniqueName) const;

    QByteArray saveState() const;
    bool restoreState(const QByteArray& data);

    // Docking-layer interface.
    SectionWidget* dropContent(const InternalContentData& data, SectionWidget* targetSection, DropArea area,
                               bool autoActive = true);
    bool takeContent(const SectionContent::RefPtr& sc, InternalContentData& data);
    SectionWidget* newSectionWidget();
    void addSection(SectionWidget* section);
    SectionWidget* sectionWidgetAt(const QPoint& pos) const;
    QPointer<DropOverlay> sectionDropOverlay() const { return _sectionDropOverlay; }
    QPointer<DropOverlay> containerDropOverlay() const { return _containerDropOverlay; }
    void deleteEmptySplitters();
    // Takes an emptied section out of the layout now, frees it later: it may
    // be the sender of the signal being handled.
    void discardSection(SectionWidget* section);

    // Registries, kept by the docking classes as their objects come and go.
    void registerContent(const SectionContent::RefPtr& sc);
    void unregisterContent(int uid, const QString& uniqueName);
    void registerSection(SectionWidget* section);
    void unregisterSection(SectionWidget* section);
    void registerFloating(FloatingWidget* floating);
    void unregisterFloating(FloatingWidget* floating);

    QList<SectionWidget*> sections() const { return _sections; }
    QList<FloatingWidget*> floatings() const { return _floatings; }
    QSplitter* rootSplitter() const { return _rootSplitter.data(); }

signals:
    void activeTabChanged(const ads::SectionContent::RefPtr& sc, bool active);
    void sectionContentVisibilityChanged(const ads::SectionContent::RefPtr& sc, bool visible);
    void sectionContentClosed(const ads::SectionContent::RefPtr& sc);

public slots:
    void onActiveTabChanged();

private:
    SectionWidget* dropContentOuter(const InternalContentData& data, Qt::Orientation orientation, bool append);
    FloatingWidget* floatingOf(int uid) const;
    SectionWidget* sectionOf(int uid) const;
    void reportHidden(const SectionContent::RefPtr& sc);
    void reportShown(const SectionContent::RefPtr& sc);

    QByteArray saveHierarchy() const;
    void saveGeometryWalk(QDataStream& out, QWidget* widget) const;
    bool saveSectionIndex(QList<SectionIndexRecord>& records) const;
    bool restoreHierarchy(const QByteArray& data);
    bool restoreGeometryWalk(const HierarchyNode& node, QSplitter* parentSplitter, QList<SectionWidget*>& sections,
                             QList<SectionContent::RefPtr>& toHide, QList<SectionContent*>& placed);
    SectionContent::RefPtr takeForRestore(const QString& name, QList<SectionContent*>& placed,
                                          InternalContentData& data, bool& taken);

    QList<SectionWidget*> _sections;
    QList<FloatingWidget*> _floatings;
    QHash<int, HiddenSectionItem> _hiddenSectionContents;
    QHash<int, SectionContent::WeakPtr> _contentsByUid;
    QHash<QString, SectionContent::WeakPtr> _contentsByName;
    QHash<int, SectionWidget*> _sectionsByUid;
    QGridLayout* _mainLayout = nullptr;
    QPointer<QSplitter> _rootSplitter;
    QPointer<DropOverlay> _containerDropOverlay;
    QPointer<DropOverlay> _sectionDropOverlay;
};

} // namespace ads
