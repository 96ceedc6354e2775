#include "platform/framework/ListView.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>

#include "platform/framework/ImgList.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

const TEnumInfo ViewStyleInfo{"TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}};
const TEnumInfo SortTypeInfo{"TSortType", {"stNone", "stData", "stText", "stBoth"}};

// ---- Qt side: the rows as a table model, the view and its row painter

// Room a cell keeps beside its text, and the room of a row's tick.
constexpr int kCellPadding = 8, kCheckRoom = 20;

class ListViewModel : public QAbstractTableModel {
public:
    explicit ListViewModel(TListView* v) : FView(v) {}
    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : FView->RowCount();
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : std::max(1, FView->Columns()->Count());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        TListItem* item = FView->RowItem(index.row());
        if (!item) return {};
        int col = index.column();
        switch (role) {
        case Qt::DisplayRole: {
            if (col == 0) return toQ(item->Caption());
            int sub = col - 1;
            return sub < item->SubItems()->Count() ? toQ(item->SubItems()->Get(sub)) : QString();
        }
        case Qt::CheckStateRole:
            if (col == 0 && FView->Checkboxes()) return item->Checked() ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::ToolTipRole: {
            // A cell too narrow for its text shows it whole in a tool tip.
            const QString text = data(index, Qt::DisplayRole).toString();
            TListColumn* c = FView->Column(col);
            if (text.isEmpty() || !c) return {};
            int room = c->Width() - kCellPadding;
            if (col == 0 && FView->SmallImages()) room -= FView->SmallImages()->Width() + kCellPadding / 2;
            if (col == 0 && FView->Checkboxes()) room -= kCheckRoom;
            return QFontMetrics(toQFont(*FView->Font())).horizontalAdvance(text) > room ? QVariant(text) : QVariant();
        }
        case Qt::TextAlignmentRole: {
            TListColumn* c = FView->Column(col);
            int a = Qt::AlignVCenter;
            if (c && col > 0)
                a |= c->Alignment() == taRightJustify ? Qt::AlignRight
                     : c->Alignment() == taCenter     ? Qt::AlignHCenter
                                                      : Qt::AlignLeft;
            else a |= Qt::AlignLeft;
            return a;
        }
        case Qt::DecorationRole:
            if (col == 0 && FView->SmallImages() && item->ImageIndex() >= 0)
                if (const QImage* img = FView->SmallImages()->Image(item->ImageIndex())) return *img;
            return {};
        default: return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal) return {};
        TListColumn* c = FView->Column(section);
        if (!c) return {};
        if (role == Qt::DisplayRole) return toQ(c->Caption());
        if (role == Qt::DecorationRole && FView->SmallImages() && c->ImageIndex() >= 0)
            if (const QImage* img = FView->SmallImages()->Image(c->ImageIndex())) return *img;
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignVCenter | (c->Alignment() == taRightJustify ? Qt::AlignRight
                                           : c->Alignment() == taCenter     ? Qt::AlignHCenter
                                                                            : Qt::AlignLeft));
        return {};
    }
    // Ticks change only through the list view, never by Qt's own editing.
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }
    void reset() {
        beginResetModel();
        endResetModel();
    }
    void rowChanged(int row) {
        if (row < 0 || row >= rowCount()) return;
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
    void headerChanged() { emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1); }
    void beginInsert(int row) { beginInsertRows(QModelIndex(), row, row); }
    void endInsert() { endInsertRows(); }
    void beginRemove(int row) { beginRemoveRows(QModelIndex(), row, row); }
    void endRemove() { endRemoveRows(); }
    TListView* FView;
};

// Paints a row as the custom-draw handlers decide: the canvas font and
// brush they leave become the row's font, text colour and background.
class ListViewDelegate : public QStyledItemDelegate {
public:
    ListViewDelegate(TListView* v, QObject* parent) : QStyledItemDelegate(parent), FView(v) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        TListItem* item = FView->RowItem(index.row());
        if (!item) return;
        TCanvas* c = FView->Canvas();
        c->Font()->Assign(FView->Font());
        c->Brush()->SetColor(FView->Color());
        c->Brush()->SetStyle(bsSolid);
        TCustomDrawState st = 0;
        if (option.state & QStyle::State_Selected) st |= cdsSelected;
        if (option.state & QStyle::State_HasFocus) st |= cdsFocused;
        if (item->Checked()) st |= cdsChecked;
        TColor defaultBrush = c->Brush()->Color();
        bool draw = true;
        dispatchGuarded(FView, [&] { draw = FView->CustomDrawItem(item, st, cdPrePaint); });
        if (!draw) return;
        QStyleOptionViewItem o(option);
        o.font = toQFont(*c->Font());
        o.palette.setColor(QPalette::Text, toQColor(c->Font()->Color()));
        if (c->Brush()->Color() != defaultBrush) {
            o.backgroundBrush = QBrush(toQColor(c->Brush()->Color()));
            // A row coloured by its handler keeps that colour when selected too.
            p->fillRect(option.rect, o.backgroundBrush);
        }
        QStyledItemDelegate::paint(p, o, index);
    }
    TListView* FView;
};

class ListViewWidget : public QTreeView {
public:
    explicit ListViewWidget(TListView* v) : FView(v) {
        setRootIsDecorated(false);
        setItemsExpandable(false);
        setUniformRowHeights(true);
        setAllColumnsShowFocus(false);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        header()->setStretchLastSection(false);
        header()->setSectionsMovable(false);
        header()->setSectionsClickable(true);
    }
    // The check box of a row: the indicator's rectangle in column 0.
    QRect checkRect(const QModelIndex& idx) const {
        QStyleOptionViewItem opt;
        const_cast<ListViewWidget*>(this)->initViewItemOption(&opt);
        opt.rect = visualRect(idx.siblingAtColumn(0));
        opt.features |= QStyleOptionViewItem::HasCheckIndicator;
        opt.index = idx.siblingAtColumn(0);
        return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, this);
    }
    void mousePressEvent(QMouseEvent* e) override {
        QModelIndex idx = indexAt(e->position().toPoint());
        if (idx.isValid() && e->button() == Qt::LeftButton && FView->Checkboxes()) {
            QRect cr = checkRect(idx);
            QPoint p = e->position().toPoint();
            if (p.x() >= visualRect(idx.siblingAtColumn(0)).left() && p.x() <= cr.right() + 1) {
                TListItem* item = FView->RowItem(idx.row());
                // Focus and selection move to the row, the tick changes once.
                QTreeView::mousePressEvent(e);
                if (item) dispatchGuarded(FView, [&] { FView->CheckBoxPressed(item); });
                return;
            }
        }
        QTreeView::mousePressEvent(e);
    }
    void drawRow(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QTreeView::drawRow(p, option, index);
        if (FView->GridLines()) {
            p->save();
            p->setPen(palette().color(QPalette::Mid));
            p->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
            int x = -header()->offset();
            for (int i = 0; i < header()->count(); ++i) {
                x += header()->sectionSize(i);
                p->drawLine(x - 1, option.rect.top(), x - 1, option.rect.bottom());
            }
            p->restore();
        }
    }
    using QTreeView::initViewItemOption;
    TListView* FView;
};

// ---- TListColumn

IMPLEMENT_CLASS(TListColumn, TCollectionItem) {
    r.Str("Caption", &TListColumn::Caption, &TListColumn::SetCaption);
    r.Integer("Width", &TListColumn::Width, &TListColumn::SetWidth);
    r.Enum("Alignment", AlignmentInfo, &TListColumn::Alignment, &TListColumn::SetAlignment);
    r.Integer("ImageIndex", &TListColumn::ImageIndex, &TListColumn::SetImageIndex);
    r.Boolean("AutoSize", &TListColumn::AutoSize, &TListColumn::SetAutoSize);
}

TListColumn::TListColumn(TCollection* c) : TCollectionItem(c) {}

void TListColumn::Changed() {
    if (Collection()) Collection()->Changed(this);
}
void TListColumn::SetCaption(const String& v) {
    if (v == FCaption) return;
    FCaption = v;
    Changed();
}
void TListColumn::SetWidth(int v) {
    if (v == FWidth) return;
    FWidth = v;
    Changed();
}
void TListColumn::SetAlignment(TAlignment v) {
    if (v == FAlignment) return;
    FAlignment = v;
    Changed();
}
void TListColumn::SetImageIndex(int v) {
    if (v == FImageIndex) return;
    FImageIndex = v;
    Changed();
}
void TListColumn::SetAutoSize(bool v) {
    if (v == FAutoSize) return;
    FAutoSize = v;
    Changed();
}
void TListColumn::Assign(TPersistent* Source) {
    auto* c = dynamic_cast<TListColumn*>(Source);
    if (!c) return TCollectionItem::Assign(Source);
    FCaption = c->FCaption;
    FWidth = c->FWidth;
    FAlignment = c->FAlignment;
    FImageIndex = c->FImageIndex;
    FAutoSize = c->FAutoSize;
    FTag = c->FTag;
    Changed();
}

IMPLEMENT_CLASS(TListColumns, TCollection) {}

TListColumns::TListColumns(TListView* owner)
    : TCollection([](TCollection* c) { return new TListColumn(c); }, owner), FView(owner) {}

void TListColumns::Update(TCollectionItem* item) {
    TCollection::Update(item);
    if (FView) FView->columnsChanged();
}

// ---- TListItem

IMPLEMENT_CLASS(TListItem, TPersistent) {}

TListItem::TListItem(TListItems* owner) : FOwner(owner), FSubItems(new TStringList) {
    FSubItems->OnChange = [this](TObject*) { subItemsChanged(); };
}

TListItem::~TListItem() { delete FSubItems; }

TListView* TListItem::ListView() const { return FOwner ? FOwner->Owner() : nullptr; }

int TListItem::Index() const {
    if (FIndex >= 0) return FIndex;
    return FOwner ? FOwner->IndexOf(this) : -1;
}

void TListItem::subItemsChanged() {
    TListView* v = ListView();
    if (v && FIndex < 0 && Index() >= 0) {
        v->rowChanged(Index());
        v->Change(this, ctText);
    }
}

void TListItem::SetCaption(const String& v) {
    if (v == FCaption) return;
    TListView* lv = ListView();
    if (lv && FIndex < 0 && !lv->CanChange(this, ctText)) return;
    FCaption = v;
    if (lv && FIndex < 0) {
        lv->rowChanged(Index());
        lv->Change(this, ctText);
        if (lv->FSortType == stText || lv->FSortType == stBoth) lv->sortIfNeeded();
    }
}

void TListItem::SetSubItems(TStrings* s) { FSubItems->Assign(s); }

void TListItem::SetImageIndex(int v) {
    if (v == FImageIndex) return;
    FImageIndex = v;
    if (TListView* lv = ListView(); lv && FIndex < 0) {
        lv->rowChanged(Index());
        lv->Change(this, ctImage);
    }
}

void TListItem::SetChecked(bool v) {
    if (v == FChecked) return;
    TListView* lv = ListView();
    if (lv && !lv->CanChange(this, ctState)) return;
    FChecked = v;
    if (lv) {
        lv->rowChanged(Index());
        lv->Change(this, ctState);
    }
}

bool TListItem::Selected() const {
    TListView* lv = ListView();
    return lv && lv->IsRowSelected(Index());
}
void TListItem::SetSelected(bool v) {
    if (TListView* lv = ListView()) lv->SetRowSelected(Index(), v);
}
bool TListItem::Focused() const {
    TListView* lv = ListView();
    return lv && lv->FocusedRow() >= 0 && lv->FocusedRow() == Index();
}
void TListItem::SetFocused(bool v) {
    TListView* lv = ListView();
    if (!lv) return;
    if (v) lv->SetFocusedRow(Index());
    else if (Focused()) lv->SetFocusedRow(-1);
}

void TListItem::MakeVisible(bool PartialOK) {
    TListView* lv = ListView();
    if (!lv) return;
    auto* w = lv->view();
    int row = Index();
    if (!w || row < 0) return;
    QModelIndex idx = w->model()->index(row, 0);
    QRect r = w->visualRect(idx);
    if (PartialOK && r.intersects(w->viewport()->rect())) return;
    w->scrollTo(idx, QAbstractItemView::EnsureVisible);
}

void TListItem::Delete() {
    if (FOwner && FIndex < 0) FOwner->Delete(Index());
}

void TListItem::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TListItem*>(Source);
    if (!s) return TPersistent::Assign(Source);
    SetCaption(s->FCaption);
    FData = s->FData;
    FImageIndex = s->FImageIndex;
    FSubItems->Assign(s->FSubItems);
    SetChecked(s->FChecked);
}

// ---- TListItems

IMPLEMENT_CLASS(TListItems, TPersistent) {}

TListItems::TListItems(TListView* owner) : FView(owner) {}

TListItems::~TListItems() {
    for (auto* it : FItems) delete it;
    delete FTemp;
}

int TListItems::Count() const { return FView && FView->OwnerData() ? FOwnerCount : int(FItems.size()); }

void TListItems::SetCount(int n) {
    if (!FView || !FView->OwnerData()) return;
    FOwnerCount = std::max(0, n);
    FView->rowsReset();
}

TListItem* TListItems::Item(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    if (!FView || !FView->OwnerData()) return FItems[size_t(i)];
    // Owner data: one item is filled by OnData for the row asked for.
    auto* self = const_cast<TListItems*>(this);
    if (!self->FTemp) self->FTemp = new TListItem(self);
    TListItem* t = self->FTemp;
    t->FSubItems->OnChange = nullptr;
    t->FCaption.clear();
    t->FSubItems->Clear();
    t->FData = nullptr;
    t->FImageIndex = -1;
    t->FChecked = false;
    t->FIndex = i;
    if (FView->OnData) dispatchGuarded(FView, [&] { FView->OnData(FView, t); });
    return t;
}

TListItem* TListItems::Add() { return Insert(int(FItems.size())); }

// Rows come and go one by one, so the view keeps the selection of the others.
TListItem* TListItems::Insert(int i) {
    auto* it = new TListItem(this);
    i = std::clamp(i, 0, int(FItems.size()));
    bool live = FView && FView->FModel && FUpdate == 0 && !FView->OwnerData();
    if (live) FView->FModel->beginInsert(i);
    FItems.insert(FItems.begin() + i, it);
    if (live) {
        FView->FModel->endInsert();
        FView->sortIfNeeded();
    } else {
        FDirty = true;
    }
    return it;
}

void TListItems::Delete(int i) {
    if (i < 0 || i >= int(FItems.size())) return;
    TListItem* it = FItems[size_t(i)];
    bool live = FView && FView->FModel && FUpdate == 0 && !FView->OwnerData();
    if (live) FView->FModel->beginRemove(i);
    FItems.erase(FItems.begin() + i);
    delete it;
    if (live) FView->FModel->endRemove();
    else FDirty = true;
}

void TListItems::Clear() {
    auto items = std::move(FItems);
    FItems.clear();
    for (auto* it : items) delete it;
    if (FView && FUpdate == 0) FView->rowsReset();
    else FDirty = true;
}

int TListItems::IndexOf(const TListItem* item) const {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

void TListItems::BeginUpdate() { ++FUpdate; }

void TListItems::EndUpdate() {
    if (FUpdate > 0 && --FUpdate == 0 && FView && FDirty) {
        FDirty = false;
        FView->rowsReset();
        FView->sortIfNeeded();
    }
}

void TListItems::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TListItems*>(Source);
    if (!s) return TPersistent::Assign(Source);
    BeginUpdate();
    Clear();
    for (int i = 0; i < s->Count(); ++i) {
        TListItem* src = s->Item(i);
        TListItem* dst = Add();
        dst->FCaption = src->FCaption;
        dst->FSubItems->Assign(src->FSubItems);
        dst->FData = src->FData;
        dst->FImageIndex = src->FImageIndex;
        dst->FChecked = src->FChecked;
    }
    EndUpdate();
}

// ---- TListView

IMPLEMENT_CLASS(TListView, TWinControl) {
    r.Object<TListColumns>("Columns", &TListView::Columns, &TListView::SetColumns);
    r.Enum("ViewStyle", ViewStyleInfo, &TListView::ViewStyle, &TListView::SetViewStyle);
    r.Boolean("Checkboxes", &TListView::Checkboxes, &TListView::SetCheckboxes);
    r.Boolean("MultiSelect", &TListView::MultiSelect, &TListView::SetMultiSelect);
    r.Boolean("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly);
    r.Boolean("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect);
    r.Boolean("ShowColumnHeaders", &TListView::ShowColumnHeaders, &TListView::SetShowColumnHeaders);
    r.Boolean("GridLines", &TListView::GridLines, &TListView::SetGridLines);
    r.Boolean("HideSelection", &TListView::HideSelection, &TListView::SetHideSelection);
    r.Boolean("ColumnClick", &TListView::ColumnClick, &TListView::SetColumnClick);
    r.Boolean("FlatScrollBars", &TListView::FlatScrollBars, &TListView::SetFlatScrollBars);
    r.Enum("SortType", SortTypeInfo, &TListView::SortType, &TListView::SetSortType);
    r.Boolean("OwnerData", &TListView::OwnerData, &TListView::SetOwnerData);
}

TListView::TListView(TComponent* AOwner)
    : TWinControl(AOwner), FColumns(nullptr), FItems(nullptr), FCanvas(new TCanvas), FModel(nullptr) {
    FColumns = new TListColumns(this);
    FItems = new TListItems(this);
    FWidth = 250;
    FHeight = 150;
    SetColor(clWindow);
    auto* w = new ListViewWidget(this);
    FModel = new ListViewModel(this);
    w->setModel(FModel);
    w->setItemDelegate(new ListViewDelegate(this, w));
    SetTabStop(true);
    SetWidget(w);
    WatchChildWidget(w->viewport());
    QObject::connect(w->selectionModel(), &QItemSelectionModel::selectionChanged, w,
                     [this](const QItemSelection& on, const QItemSelection& off) {
                         if (FSyncing) return;
                         for (const QModelIndex& i : off.indexes())
                             if (i.column() == 0) selectionChanged(i.row(), false);
                         for (const QModelIndex& i : on.indexes())
                             if (i.column() == 0) selectionChanged(i.row(), true);
                     });
    QObject::connect(w->selectionModel(), &QItemSelectionModel::currentChanged, w,
                     [this](const QModelIndex& cur, const QModelIndex&) {
                         if (FSyncing) return;
                         focusChanged(cur.isValid() ? cur.row() : -1);
                     });
    QObject::connect(w->header(), &QHeaderView::sectionClicked, w, [this](int section) {
        if (!FColumnClick) return;
        if (TListColumn* c = Column(section)) dispatchGuarded(this, [&] { ColClick(c); });
    });
    QObject::connect(w->header(), &QHeaderView::sectionResized, w, [this](int section, int, int size) {
        if (FSyncing) return;
        if (TListColumn* c = Column(section)) {
            ++FSyncing;
            c->FWidth = size;
            --FSyncing;
        }
    });
    columnsChanged();
}

TListView::~TListView() {
    Destroying();
    if (auto* w = view()) w->setModel(nullptr);
    delete FModel;
    FModel = nullptr;
    delete FItems;
    FItems = nullptr;
    delete FColumns;
    FColumns = nullptr;
    delete FCanvas;
}

ListViewWidget* TListView::view() const { return static_cast<ListViewWidget*>(Handle()); }

QWidget* TListView::ViewportWidget() const { return view() ? view()->viewport() : nullptr; }

TListColumn* TListView::Column(int n) const {
    return FColumns && n >= 0 && n < FColumns->Count() ? FColumns->Items(n) : nullptr;
}

void TListView::rowsReset() {
    if (!FModel || IsDestroying()) return;
    ++FSyncing;
    FModel->reset();
    --FSyncing;
    FLastFocused = FocusedRow();
}

void TListView::rowChanged(int row) {
    if (!FModel || !FItems) return;
    if (FItems->FUpdate == 0) FModel->rowChanged(row);
    else FItems->FDirty = true;
}

void TListView::columnsChanged() {
    auto* w = view();
    if (!w || !FModel || !FColumns) return;
    ++FSyncing;
    FModel->reset();
    for (int i = 0; i < FColumns->Count(); ++i) {
        TListColumn* c = FColumns->Items(i);
        // A column of width 0 takes no room at all.
        w->header()->setSectionHidden(i, !c->AutoSize() && c->Width() <= 0);
        // Auto-sized columns share the width the others leave.
        if (c->AutoSize()) w->header()->setSectionResizeMode(i, QHeaderView::Stretch);
        else {
            w->header()->setSectionResizeMode(i, QHeaderView::Interactive);
            w->header()->resizeSection(i, c->Width());
        }
    }
    FModel->headerChanged();
    --FSyncing;
}

void TListView::AutoSizeColumns() {
    if (auto* w = view())
        for (int i = 0; i < FColumns->Count(); ++i) w->resizeColumnToContents(i);
}

void TListView::SetCheckboxes(bool v) {
    FCheckboxes = v;
    if (FModel) FModel->reset();
}

void TListView::SetMultiSelect(bool v) {
    FMultiSelect = v;
    if (auto* w = view())
        w->setSelectionMode(v ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void TListView::SetRowSelect(bool v) {
    FRowSelect = v;
    if (auto* w = view()) w->setAllColumnsShowFocus(v);
}

void TListView::SetShowColumnHeaders(bool v) {
    FShowColumnHeaders = v;
    if (auto* w = view()) w->setHeaderHidden(!v);
}

void TListView::SetGridLines(bool v) {
    FGridLines = v;
    Invalidate();
}

void TListView::SetColumnClick(bool v) {
    FColumnClick = v;
    if (auto* w = view()) w->header()->setSectionsClickable(v);
}

void TListView::SetBorderNone(bool v) {
    FBorderNone = v;
    if (auto* w = view()) w->setFrameShape(v ? QFrame::NoFrame : QFrame::StyledPanel);
}

void TListView::SetSortType(TSortType v) {
    FSortType = v;
    sortIfNeeded();
}

void TListView::SetOwnerData(bool v) {
    if (v == FOwnerData) return;
    FItems->Clear();
    FItems->FOwnerCount = 0;
    FOwnerData = v;
    rowsReset();
}

void TListView::SetSmallImages(TCustomImageList* v) {
    if (FSmallImages) FSmallImages->RemoveFreeNotification(this);
    FSmallImages = v;
    if (v) v->FreeNotification(this);
    if (FModel) {
        FModel->headerChanged();
        Invalidate();
    }
}

void TListView::ApplyColor() {
    TWinControl::ApplyColor();
    if (auto* w = view()) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Base, toQColor(Color()));
        w->setPalette(pal);
    }
}

void TListView::ApplyFont() {
    TWinControl::ApplyFont();
    if (auto* w = view()) w->setFont(toQFont(*Font()));
}

// Selection and focus

bool TListView::IsRowSelected(int row) const {
    auto* w = view();
    if (!w || row < 0 || row >= RowCount()) return false;
    return w->selectionModel()->isRowSelected(row, QModelIndex());
}

void TListView::SetRowSelected(int row, bool v) {
    auto* w = view();
    if (!w || row < 0 || row >= RowCount() || IsRowSelected(row) == v) return;
    auto flags = QItemSelectionModel::Rows | (v ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
    if (v && !FMultiSelect) flags = QItemSelectionModel::Rows | QItemSelectionModel::ClearAndSelect;
    w->selectionModel()->select(FModel->index(row, 0), flags);
}

int TListView::FocusedRow() const {
    auto* w = view();
    if (!w) return -1;
    QModelIndex c = w->selectionModel()->currentIndex();
    return c.isValid() ? c.row() : -1;
}

void TListView::SetFocusedRow(int row) {
    auto* w = view();
    if (!w) return;
    if (row < 0 || row >= RowCount())
        w->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    else w->selectionModel()->setCurrentIndex(FModel->index(row, 0), QItemSelectionModel::NoUpdate);
}

TListItem* TListView::Selected() const {
    int r = GetNextItemIndex(-1, isSet(isSelected));
    return r < 0 ? nullptr : FItems->Item(r);
}

void TListView::SetSelected(TListItem* item) {
    auto* w = view();
    if (!w) return;
    int row = item ? item->Index() : -1;
    if (row < 0) {
        w->selectionModel()->clearSelection();
        return;
    }
    w->selectionModel()->select(FModel->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

TListItem* TListView::ItemFocused() const {
    int r = FocusedRow();
    return r < 0 ? nullptr : FItems->Item(r);
}

void TListView::SetItemFocused(TListItem* item) { SetFocusedRow(item ? item->Index() : -1); }

int TListView::ItemIndex() const {
    TListItem* s = Selected();
    return s ? s->Index() : -1;
}

void TListView::SetItemIndex(int i) {
    if (i < 0 || i >= RowCount()) {
        SetSelected(nullptr);
        return;
    }
    SetRowSelected(i, true);
    SetFocusedRow(i);
}

int TListView::SelCount() const {
    auto* w = view();
    return w ? int(w->selectionModel()->selectedRows().size()) : 0;
}

int TListView::GetNextItemIndex(int start, TItemStates states) const {
    for (int r = std::max(start + 1, 0); r < RowCount(); ++r) {
        bool ok = true;
        if (states & isSet(isSelected)) ok = ok && IsRowSelected(r);
        if (states & isSet(isFocused)) ok = ok && FocusedRow() == r;
        if (ok) return r;
    }
    return -1;
}

void TListView::SelectAll() {
    if (auto* w = view(); w && FMultiSelect) w->selectAll();
}

void TListView::ClearSelection() {
    if (auto* w = view()) w->selectionModel()->clearSelection();
}

void TListView::selectionChanged(int row, bool selected) {
    TListItem* item = FItems->Item(row);
    if (!item) return;
    dispatchGuarded(this, [&] {
        fire(OnSelectItem, this, item, selected);
        Change(item, ctState);
    });
}

void TListView::focusChanged(int row) {
    FLastFocused = row;
    TListItem* item = FItems->Item(row);
    if (!item) return;
    dispatchGuarded(this, [&] { Change(item, ctState); });
}

bool TListView::CanChange(TListItem* Item, TItemChange Change) {
    bool allow = true;
    if (OnChanging) OnChanging(this, Item, Change, allow);
    return allow;
}

void TListView::Change(TListItem* Item, TItemChange Change) { fire(OnChange, this, Item, Change); }

void TListView::ColClick(TListColumn* Column) { fire(OnColumnClick, this, Column); }

bool TListView::CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) {
    bool draw = true;
    if (Stage == cdPrePaint && OnCustomDrawItem) OnCustomDrawItem(this, Item, State, draw);
    if (draw && OnAdvancedCustomDrawItem) OnAdvancedCustomDrawItem(this, Item, State, Stage, draw);
    return draw;
}

void TListView::CheckBoxPressed(TListItem* Item) { Item->SetChecked(!Item->Checked()); }

void TListView::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSmallImages) FSmallImages = nullptr;
}

// Sorting

int TListView::defaultCompare(TListItem* a, TListItem* b) const {
    auto data = [](TListItem* i) { return reinterpret_cast<uintptr_t>(i->Data()); };
    switch (FSortType) {
    case stData: return data(a) < data(b) ? -1 : data(a) > data(b) ? 1 : 0;
    case stBoth:
        if (int c = CompareText(a->Caption(), b->Caption())) return c;
        return data(a) < data(b) ? -1 : data(a) > data(b) ? 1 : 0;
    default: return CompareText(a->Caption(), b->Caption());
    }
}

bool TListView::CustomSort(const std::function<int(TListItem*, TListItem*)>& compare) {
    if (FOwnerData || !compare) return false;
    auto* w = view();
    // Selection and focus follow their rows through the sort.
    std::vector<TListItem*> selected;
    TListItem* focused = ItemFocused();
    for (int r = 0; r < RowCount(); ++r)
        if (IsRowSelected(r)) selected.push_back(FItems->FItems[size_t(r)]);
    std::stable_sort(FItems->FItems.begin(), FItems->FItems.end(),
                     [&](TListItem* a, TListItem* b) { return compare(a, b) < 0; });
    ++FSyncing;
    FModel->reset();
    if (w) {
        for (TListItem* it : selected)
            w->selectionModel()->select(FModel->index(it->Index(), 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (focused)
            w->selectionModel()->setCurrentIndex(FModel->index(focused->Index(), 0), QItemSelectionModel::NoUpdate);
    }
    --FSyncing;
    FLastFocused = FocusedRow();
    return true;
}

bool TListView::AlphaSort() {
    return CustomSort([this](TListItem* a, TListItem* b) {
        if (OnCompare) {
            int c = 0;
            OnCompare(this, a, b, 0, c);
            return c;
        }
        return defaultCompare(a, b);
    });
}

void TListView::sortIfNeeded() {
    if (FSortType != stNone && !FOwnerData && FItems && FItems->FUpdate == 0) AlphaSort();
}

// Geometry

TListItem* TListView::FindCaption(int start, const String& text, bool partial, bool inclusive, bool wrap) const {
    int n = RowCount();
    if (n == 0) return nullptr;
    int first = inclusive ? std::max(start, 0) : start + 1;
    String want = LowerCase(text);
    auto match = [&](int r) {
        String c = LowerCase(FItems->Item(r)->Caption());
        return partial ? c.compare(0, want.size(), want) == 0 : c == want;
    };
    for (int r = first; r < n; ++r)
        if (match(r)) return FItems->Item(r);
    if (wrap)
        for (int r = 0; r < std::min(first, n); ++r)
            if (match(r)) return FItems->Item(r);
    return nullptr;
}

TListItem* TListView::GetItemAt(int X, int Y) const {
    auto* w = view();
    if (!w) return nullptr;
    QPoint p = w->viewport()->mapFrom(w, QPoint(X, Y));
    QModelIndex idx = w->indexAt(p);
    return idx.isValid() ? FItems->Item(idx.row()) : nullptr;
}

TRect TListView::ItemRect(int row) const {
    auto* w = view();
    if (!w || row < 0 || row >= RowCount()) return {};
    QRect r = w->visualRect(FModel->index(row, 0));
    if (r.isEmpty()) return {};
    QPoint tl = w->viewport()->mapTo(w, QPoint(0, r.top()));
    return Rect(tl.x(), tl.y(), tl.x() + w->viewport()->width(), tl.y() + r.height());
}

int TListView::RowHeight() const {
    QFontMetrics fm(toQFont(*Font()));
    return fm.height();
}

int TListView::VisibleRowCount() const {
    auto* w = view();
    if (!w || RowCount() == 0) return 0;
    int h = w->sizeHintForRow(0);
    return h > 0 ? w->viewport()->height() / h : 0;
}

TListItem* TListView::TopItem() const {
    auto* w = view();
    if (!w) return nullptr;
    QModelIndex idx = w->indexAt(QPoint(1, 1));
    return idx.isValid() ? FItems->Item(idx.row()) : nullptr;
}
