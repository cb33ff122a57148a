#include "controls/side_bar.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QListWidget>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStyledItemDelegate>
#include <QToolBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int AddressRole = Qt::UserRole + 1;
// Room for a large picture and two lines of caption under it.
constexpr int LargeCellHeight = 76;
// What a group header keeps beside its caption: the style elides the caption
// to the header's width less 30 pixels for its contents, 4 before the
// caption and 8 after it, and the header's border and padding (1 pixel each
// a side). The header's size hint counts only part of it.
constexpr int HeaderCaptionMargin = 30 + 4 + 8 + 2 * 2 + 2;

// Large items take the list's whole width, so that the picture and the
// caption under it are centred.
class TLargeItemDelegate : public QStyledItemDelegate {
  public:
    explicit TLargeItemDelegate(QListWidget* list) : QStyledItemDelegate(list), List(list) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(List->viewport()->width(), LargeCellHeight);
    }

  private:
    QListWidget* List;
};

// One group's item list. Items are never selected, so a click leaves no
// highlight; the large-icon layout keeps one centred column as wide as the bar.
class TSideBarList : public QListWidget {
  public:
    TSideBarList(TSideBar::TIconSize iconSize, QWidget* parent)
        : QListWidget(parent), Large(iconSize == TSideBar::TIconSize::Large) {
        setSelectionMode(QAbstractItemView::NoSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFrameShape(QFrame::NoFrame);
        setMouseTracking(true);
        if (Large) {
            setViewMode(QListView::IconMode);
            setFlow(QListView::TopToBottom);
            setWrapping(false);
            setMovement(QListView::Static);
            setResizeMode(QListView::Adjust);
            setWordWrap(true);
            setIconSize(QSize(TSideBar::LargeIconSize, TSideBar::LargeIconSize));
            setItemDelegate(new TLargeItemDelegate(this));
        } else {
            setViewMode(QListView::ListMode);
            setIconSize(QSize(TSideBar::SmallIconSize, TSideBar::SmallIconSize));
            setSpacing(3);
        }
        QPalette colours = palette();
        colours.setColor(QPalette::Base, QColor(128, 128, 128));
        colours.setColor(QPalette::Text, Qt::white);
        setPalette(colours);
    }

    bool Large;

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QListWidget::resizeEvent(event);
        if (Large)
            scheduleDelayedItemsLayout();
    }

    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
            currentItem() != nullptr) {
            emit itemClicked(currentItem());
            return;
        }
        QListWidget::keyPressEvent(event);
    }
};

}  // namespace

TSideBar::TSideBar(QWidget* parent) : QWidget(parent), Groups(new QToolBox(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Groups);
    // Group headers look like a column of buttons.
    Groups->setStyleSheet(
        "QToolBox::tab { background: palette(button); color: palette(button-text);"
        " border: 1px solid palette(dark); padding: 2px 1px; }");
    setMinimumWidth(MinWidth);
    setMaximumWidth(MaxWidth);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
}

int TSideBar::AddGroup(const QString& caption, TIconSize iconSize) {
    auto* list = new TSideBarList(iconSize, Groups);
    const int group = Groups->addItem(list, caption);
    Groups->setItemToolTip(group, caption);
    // The bar is never narrower than its headers' captions, which the design
    // width fits only at the design's font. The headers take the focus, so
    // that Tab reaches every group and Space opens it; Tab goes from each
    // header to its group's list and on to the next header, as they stand on
    // the screen. The headers are the tool box's buttons, one per group in
    // group order.
    const QList<QAbstractButton*> headers = Groups->findChildren<QAbstractButton*>();
    QWidget* previous = nullptr;
    for (int each = 0; each < headers.size() && each < Groups->count(); ++each) {
        QAbstractButton* header = headers[each];
        const int captionWidth =
            header->fontMetrics().horizontalAdvance(header->text()) + HeaderCaptionMargin;
        setMinimumWidth(std::clamp(captionWidth, minimumWidth(), MaxWidth));
        header->setFocusPolicy(Qt::StrongFocus);
        if (previous != nullptr)
            setTabOrder(previous, header);
        setTabOrder(header, Groups->widget(each));
        previous = Groups->widget(each);
    }
    for (QScrollArea* frame : Groups->findChildren<QScrollArea*>())
        frame->setFocusPolicy(Qt::NoFocus);
    GroupSizes.append(iconSize);
    connect(list, &QListWidget::itemClicked, this, [this, list, group](QListWidgetItem* item) {
        emit ItemClicked(group, list->row(item));
    });
    return group;
}

int TSideBar::AddItem(int group, const QString& caption, int imageIndex, const QString& address) {
    QListWidget* list = GroupList(group);
    if (list == nullptr)
        return -1;
    const QList<QIcon>& images = GroupSizes[group] == TIconSize::Large ? LargeImages : SmallImages;
    auto* item = new QListWidgetItem(caption);
    if (imageIndex >= 0 && imageIndex < images.size())
        item->setIcon(images[imageIndex]);
    item->setData(AddressRole, address);
    if (GroupSizes[group] == TIconSize::Large)
        item->setTextAlignment(Qt::AlignHCenter);
    item->setToolTip(caption);
    list->addItem(item);
    return list->count() - 1;
}

int TSideBar::GroupCount() const {
    return Groups->count();
}

QString TSideBar::GroupCaption(int group) const {
    return Groups->itemText(group);
}

int TSideBar::ItemCount(int group) const {
    const QListWidget* list = GroupList(group);
    return list == nullptr ? 0 : list->count();
}

QString TSideBar::ItemCaption(int group, int item) const {
    const QListWidget* list = GroupList(group);
    const QListWidgetItem* entry = list == nullptr ? nullptr : list->item(item);
    return entry == nullptr ? QString() : entry->text();
}

QString TSideBar::ItemAddress(int group, int item) const {
    const QListWidget* list = GroupList(group);
    const QListWidgetItem* entry = list == nullptr ? nullptr : list->item(item);
    return entry == nullptr ? QString() : entry->data(AddressRole).toString();
}

int TSideBar::ActiveGroup() const {
    return Groups->currentIndex();
}

void TSideBar::SetActiveGroup(int group) {
    Groups->setCurrentIndex(group);
}

void TSideBar::ClickItem(int group, int item) {
    if (item >= 0 && item < ItemCount(group))
        emit ItemClicked(group, item);
}

QSize TSideBar::sizeHint() const {
    return QSize(DesignWidth, QWidget::sizeHint().height());
}

QListWidget* TSideBar::GroupList(int group) const {
    if (group < 0 || group >= Groups->count())
        return nullptr;
    return static_cast<QListWidget*>(Groups->widget(group));
}
