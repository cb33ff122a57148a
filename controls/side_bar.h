#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QWidget>

class QToolBox;
class QListWidget;

// A side bar of item groups, one group open at a time under its header
// button. Groups show their items with large icons (picture over caption) or
// small icons (picture beside caption). Items carry a caption, a picture from
// the bar's large or small image list and an address; clicking one (or
// pressing Enter or Space on it) raises ItemClicked and leaves nothing
// highlighted. Items can be appended while the program runs. The bar keeps
// itself between MinWidth (more where a group header's caption needs it) and
// MaxWidth pixels wide; the window that holds it
// puts it beside a splitter. GUI thread only; Qt parent ownership.
class TSideBar : public QWidget {
    Q_OBJECT

  public:
    enum class TIconSize { Large, Small };

    static constexpr int MinWidth = 90;
    static constexpr int MaxWidth = 225;
    static constexpr int DesignWidth = 105;
    static constexpr int LargeIconSize = 32;
    static constexpr int SmallIconSize = 16;

    explicit TSideBar(QWidget* parent = nullptr);

    // The image lists that items refer to by index. Set them before adding
    // items: an item takes its picture when it is added.
    void SetLargeImages(const QList<QIcon>& images) { LargeImages = images; }
    void SetSmallImages(const QList<QIcon>& images) { SmallImages = images; }

    // Appends a group and returns its index.
    int AddGroup(const QString& caption, TIconSize iconSize);
    // Appends an item to `group` and returns its index within the group. An
    // image index outside the group's image list gives an item without picture.
    int AddItem(int group, const QString& caption, int imageIndex, const QString& address = {});

    int GroupCount() const;
    QString GroupCaption(int group) const;
    int ItemCount(int group) const;
    QString ItemCaption(int group, int item) const;
    QString ItemAddress(int group, int item) const;

    int ActiveGroup() const;
    void SetActiveGroup(int group);

    // Acts as a user's click on the item: raises ItemClicked.
    void ClickItem(int group, int item);

    QSize sizeHint() const override;

  signals:
    void ItemClicked(int group, int item);

  private:
    QListWidget* GroupList(int group) const;

    QToolBox* Groups;
    QList<TIconSize> GroupSizes;
    QList<QIcon> LargeImages;
    QList<QIcon> SmallImages;
};
