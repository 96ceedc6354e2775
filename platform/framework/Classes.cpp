#include "platform/framework/Classes.h"

#include <QCollator>
#include <QLocale>

#include <QFile>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

static QString q(const String& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
static String u(const QString& s) { return s.toUtf8().toStdString(); }

namespace {
// Plain ASCII texts (component names, property names) compare without
// decoding: ASCII case folding is lower case, as Qt's folding has it for them.
// nullopt: a text holds other characters.
std::optional<int> compareAsciiText(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if ((x | y) & 0x80) return std::nullopt;
        const int fx = (x >= 'A' && x <= 'Z') ? x + 32 : x, fy = (y >= 'A' && y <= 'Z') ? y + 32 : y;
        if (fx != fy) return fx - fy;
    }
    for (std::string_view rest : {a.substr(n), b.substr(n)})
        for (char c : rest)
            if (static_cast<unsigned char>(c) & 0x80) return std::nullopt;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}
}  // namespace

int CompareText(const String& a, const String& b) {
    if (const std::optional<int> r = compareAsciiText(a, b)) return *r;
    return QString::compare(q(a), q(b), Qt::CaseInsensitive);
}
int AnsiCompareText(const String& a, const String& b) {
    static thread_local QCollator collator = [] {
        // Without a locale the comparison would be by code points, putting
        // Є, І, Ї and Ґ after Я: the Ukrainian order holds the Russian one too.
        QLocale locale;
        if (locale.language() == QLocale::C) locale = QLocale(QLocale::Ukrainian, QLocale::Ukraine);
        QCollator c(locale);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    int r = collator.compare(q(a), q(b));
    // Texts the collation holds equal fall back to the plain comparison,
    // so the order stays total and strict.
    if (r == 0) r = QString::compare(q(a), q(b), Qt::CaseInsensitive);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}
bool SameText(const String& a, const String& b) {
    if (a.size() == b.size() && a == b) return true;
    return CompareText(a, b) == 0;
}
String UpperCase(const String& s) { return u(q(s).toUpper()); }
String LowerCase(const String& s) { return u(q(s).toLower()); }
static QString qw(std::u16string_view s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size()));
}
static std::u16string uw(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
}
std::u16string WideUpperCase(std::u16string_view s) { return uw(qw(s).toUpper()); }
std::u16string WideLowerCase(std::u16string_view s) { return uw(qw(s).toLower()); }
int WideCompareTextInLocale(std::u16string_view a, std::u16string_view b) {
    // One collator per thread, made again when the default locale changes.
    static thread_local QString localeName;
    static thread_local QCollator collator;
    const QLocale locale;
    if (localeName.isEmpty() || locale.name() != localeName) {
        localeName = locale.name();
        collator = QCollator(locale);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
    }
    const int r = collator.compare(qw(a), qw(b));
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}
String Trim(const String& s) {
    size_t b = 0, e = s.size();
    while (b < e && (unsigned char)s[b] <= ' ') ++b;
    while (e > b && (unsigned char)s[e - 1] <= ' ') --e;
    return s.substr(b, e - b);
}
String TrimRight(const String& s) {
    size_t e = s.size();
    while (e > 0 && (unsigned char)s[e - 1] <= ' ') --e;
    return s.substr(0, e);
}
String IntToStr(int64_t v) { return std::to_string(v); }
int64_t StrToInt64Def(const String& s, int64_t def) {
    String t = Trim(s);
    if (t.empty()) return def;
    char* e = nullptr;
    long long v = strtoll(t.c_str(), &e, 10);
    return (e && !*e) ? v : def;
}
int StrToIntDef(const String& s, int def) { return int(StrToInt64Def(s, def)); }

// ---- TObject / TPersistent

const TClassInfo& TObject::StaticClass() {
    static const TClassInfo info("TObject", nullptr);
    return info;
}

void TObject::Free() {
    BeforeDestruction();
    delete this;
}

IMPLEMENT_CLASS(TPersistent, TObject) {}

void TPersistent::Assign(TPersistent* Source) {
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    throw EConvertError("Cannot assign nil to a " + ClassName());
}
void TPersistent::AssignTo(TPersistent* Dest) {
    throw EConvertError("Cannot assign a " + ClassName() + " to a " + (Dest ? Dest->ClassName() : String("nil")));
}

// ---- TComponent

IMPLEMENT_CLASS(TComponent, TPersistent) {
    r.Str("Name", &TComponent::Name, &TComponent::SetName);
    r.Integer("Tag", &TComponent::Tag, &TComponent::SetTag);
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) {
        if (AOwner->IsLoading()) FState |= csLoading;
        AOwner->InsertComponent(this);
    }
}

TComponent::~TComponent() {
    Destroying();
    // Tell whoever asked that we go, then free what we own.
    auto notifies = std::move(FFreeNotifies);
    for (TComponent* c : notifies) {
        auto& back = c->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        c->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::Destroying() {
    if (FState & csDestroying) return;
    FState |= csDestroying;
    for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::SetName(const String& v) {
    if (v == FName) return;
    String name = v;
    if (FOwner && !v.empty()) {
        TComponent* other = FOwner->FindComponent(v);
        if (other && other != this) {
            if (!IsRootComponent()) throw EComponentError("A component named " + v + " already exists");
            for (int i = 1;; ++i) {
                name = v + "_" + std::to_string(i);
                TComponent* o = FOwner->FindComponent(name);
                if (!o || o == this) break;
            }
        }
    }
    FName = name;
}

int TComponent::ComponentIndex() const {
    if (!FOwner) return -1;
    auto& v = FOwner->FComponents;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

TComponent* TComponent::FindComponent(const String& AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, AName)) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* c) {
    if (!c || c->FOwner == this) return;
    if (c->FOwner) c->FOwner->RemoveComponent(c);
    if (!c->FName.empty() && FindComponent(c->FName))
        throw EComponentError("A component named " + c->FName + " already exists");
    FComponents.push_back(c);
    c->FOwner = this;
    Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
    auto it = std::find(FComponents.begin(), FComponents.end(), c);
    if (it == FComponents.end()) return;
    FComponents.erase(it);
    c->FOwner = nullptr;
    if (!(FState & csDestroying)) Notification(c, opRemove);
}

void TComponent::DestroyComponents() {
    // Each component removes itself from our list as it goes; freeing one may
    // free others (a panel frees its child controls).
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        c->Free();
        if (!FComponents.empty() && FComponents.back() == c) FComponents.pop_back();  // defensive
    }
}

void TComponent::FreeNotification(TComponent* c) {
    if (!c || c == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), c) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(c);
        c->FFreeNotifies.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* c) {
    if (!c) return;
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), c), FFreeNotifies.end());
    c->FFreeNotifies.erase(std::remove(c->FFreeNotifies.begin(), c->FFreeNotifies.end(), this), c->FFreeNotifies.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) {
        auto& v = FFreeNotifies;
        v.erase(std::remove(v.begin(), v.end(), AComponent), v.end());
    }
}

void TComponent::Loaded() { FState &= ~TComponentState(csLoading); }

void TComponent::LoadTree() {
    // Children first (a copy: Loaded may create components).
    auto kids = FComponents;
    for (TComponent* c : kids)
        if (std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end() && c->IsLoading()) c->LoadTree();
    if (IsLoading()) Loaded();
}

void TComponent::AfterConstruction() { LoadTree(); }

// ---- TStrings

IMPLEMENT_CLASS(TStrings, TPersistent) {}

void TStrings::Put(int i, const String& s) {
    TObject* o = GetObject(i);
    Delete(i);
    InsertObject(i, s, o);
}
TObject* TStrings::GetObject(int) const { return nullptr; }
void TStrings::PutObject(int, TObject*) {}
void TStrings::InsertObject(int i, const String& s, TObject* o) {
    Insert(i, s);
    PutObject(i, o);
}
int TStrings::Add(const String& s) {
    int i = Count();
    Insert(i, s);
    return i;
}
int TStrings::AddObject(const String& s, TObject* o) {
    int i = Add(s);
    PutObject(i, o);
    return i;
}
int TStrings::CompareStrings(const String& a, const String& b) const {
    if (FCaseSensitive) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    return CompareText(a, b);
}
int TStrings::IndexOf(const String& s) const {
    for (int i = 0, n = Count(); i < n; ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}
int TStrings::IndexOfName(const String& name) const {
    for (int i = 0, n = Count(); i < n; ++i) {
        String l = Get(i);
        size_t eq = l.find('=');
        if (eq != String::npos && CompareStrings(l.substr(0, eq), name) == 0) return i;
    }
    return -1;
}
int TStrings::IndexOfObject(TObject* o) const {
    for (int i = 0, n = Count(); i < n; ++i)
        if (GetObject(i) == o) return i;
    return -1;
}
void TStrings::AddStrings(const TStrings* other) {
    if (!other) return;
    BeginUpdate();
    for (int i = 0, n = other->Count(); i < n; ++i) AddObject(other->Get(i), other->GetObject(i));
    EndUpdate();
}
void TStrings::Exchange(int a, int b) {
    String sa = Get(a), sb = Get(b);
    TObject *oa = GetObject(a), *ob = GetObject(b);
    BeginUpdate();
    Put(a, sb);
    PutObject(a, ob);
    Put(b, sa);
    PutObject(b, oa);
    EndUpdate();
}
void TStrings::Move(int from, int to) {
    if (from == to) return;
    String s = Get(from);
    TObject* o = GetObject(from);
    BeginUpdate();
    Delete(from);
    InsertObject(to, s, o);
    EndUpdate();
}
String TStrings::Names(int i) const {
    String l = Get(i);
    size_t eq = l.find('=');
    return eq == String::npos ? String() : l.substr(0, eq);
}
String TStrings::ValueFromIndex(int i) const {
    String l = Get(i);
    size_t eq = l.find('=');
    return eq == String::npos ? String() : l.substr(eq + 1);
}
String TStrings::Values(const String& name) const {
    int i = IndexOfName(name);
    return i < 0 ? String() : ValueFromIndex(i);
}
void TStrings::SetValue(const String& name, const String& value) {
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
    } else if (i < 0) {
        Add(name + "=" + value);
    } else {
        Put(i, name + "=" + value);
    }
}
String TStrings::Text() const {
    String out;
    for (int i = 0, n = Count(); i < n; ++i) {
        out += Get(i);
        out += "\r\n";
    }
    return out;
}
void TStrings::SetText(const String& t) {
    BeginUpdate();
    Clear();
    size_t i = 0;
    while (i < t.size()) {
        size_t j = i;
        while (j < t.size() && t[j] != '\r' && t[j] != '\n') ++j;
        Add(t.substr(i, j - i));
        if (j < t.size() && t[j] == '\r') ++j;
        if (j < t.size() && t[j] == '\n') ++j;
        i = j;
    }
    EndUpdate();
}

String TStrings::DelimitedText() const {
    String out;
    for (int i = 0, n = Count(); i < n; ++i) {
        String s = Get(i);
        bool quote = s.empty() && n == 1;
        for (char c : s)
            if (c == Delimiter || c == QuoteChar || (!StrictDelimiter && (unsigned char)c <= ' ')) quote = true;
        if (i) out += Delimiter;
        if (quote) {
            out += QuoteChar;
            for (char c : s) {
                if (c == QuoteChar) out += QuoteChar;
                out += c;
            }
            out += QuoteChar;
        } else {
            out += s;
        }
    }
    return out;
}

void TStrings::SetDelimitedText(const String& t) {
    BeginUpdate();
    Clear();
    size_t i = 0, n = t.size();
    auto blank = [&](char c) { return !StrictDelimiter && (unsigned char)c <= ' ' && c != Delimiter; };
    while (i < n && blank(t[i])) ++i;
    while (i < n) {
        String item;
        if (t[i] == QuoteChar) {
            ++i;
            while (i < n) {
                if (t[i] == QuoteChar) {
                    if (i + 1 < n && t[i + 1] == QuoteChar) {
                        item += QuoteChar;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += t[i++];
            }
        } else {
            while (i < n && t[i] != Delimiter && !blank(t[i])) item += t[i++];
        }
        Add(item);
        while (i < n && blank(t[i])) ++i;
        if (i < n && t[i] == Delimiter) {
            ++i;
            size_t before = i;
            while (i < n && blank(t[i])) ++i;
            if (i >= n && before <= n) Add(String());  // trailing delimiter: empty last item
        }
    }
    EndUpdate();
}

String TStrings::CommaText() const {
    auto* self = const_cast<TStrings*>(this);
    char d = Delimiter, qc = QuoteChar;
    bool sd = StrictDelimiter;
    self->Delimiter = ',';
    self->QuoteChar = '"';
    self->StrictDelimiter = false;
    String r = DelimitedText();
    self->Delimiter = d;
    self->QuoteChar = qc;
    self->StrictDelimiter = sd;
    return r;
}
void TStrings::SetCommaText(const String& t) {
    char d = Delimiter, qc = QuoteChar;
    bool sd = StrictDelimiter;
    Delimiter = ',';
    QuoteChar = '"';
    StrictDelimiter = false;
    SetDelimitedText(t);
    Delimiter = d;
    QuoteChar = qc;
    StrictDelimiter = sd;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount++ == 0) SetUpdateState(true);
}
void TStrings::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}
bool TStrings::Equals(const TStrings* other) const {
    if (!other || other->Count() != Count()) return false;
    for (int i = 0, n = Count(); i < n; ++i)
        if (Get(i) != other->Get(i)) return false;
    return true;
}
void TStrings::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TStrings*>(Source)) {
        if (s == this) return;
        BeginUpdate();
        Clear();
        AddStrings(s);
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}
bool TStrings::LoadFromFile(const String& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    std::stringstream ss;
    ss << f.rdbuf();
    String t = ss.str();
    if (t.size() >= 3 && (unsigned char)t[0] == 0xEF && (unsigned char)t[1] == 0xBB && (unsigned char)t[2] == 0xBF)
        t.erase(0, 3);
    SetText(t);
    return true;
}
bool TStrings::SaveToFile(const String& path) const {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    String t = Text();
    f.write(t.data(), std::streamsize(t.size()));
    return bool(f.flush());
}
std::vector<String> TStrings::ToVector() const {
    std::vector<String> v;
    for (int i = 0, n = Count(); i < n; ++i) v.push_back(Get(i));
    return v;
}

// ---- TStringList

IMPLEMENT_CLASS(TStringList, TStrings) {}

TStringList::TStringList(std::initializer_list<String> lines) {
    for (auto& l : lines) FItems.push_back({l, nullptr});
}
TStringList::~TStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
    if (OwnsObjects)
        for (auto& it : FItems) delete it.o;
}
void TStringList::Check(int i) const {
    if (i < 0 || i >= Count()) throw EStringListError("List index out of bounds (" + std::to_string(i) + ")");
}
String TStringList::Get(int i) const {
    Check(i);
    return FItems[size_t(i)].s;
}
void TStringList::Put(int i, const String& s) {
    if (FSorted) throw EStringListError("Operation not allowed on sorted list");
    Check(i);
    Changing();
    FItems[size_t(i)].s = s;
    Changed();
}
TObject* TStringList::GetObject(int i) const {
    Check(i);
    return FItems[size_t(i)].o;
}
void TStringList::PutObject(int i, TObject* o) {
    Check(i);
    Changing();
    FItems[size_t(i)].o = o;
    Changed();
}
void TStringList::Insert(int i, const String& s) { InsertObject(i, s, nullptr); }
void TStringList::InsertObject(int i, const String& s, TObject* o) {
    if (FSorted) throw EStringListError("Operation not allowed on sorted list");
    if (i < 0 || i > Count()) throw EStringListError("List index out of bounds (" + std::to_string(i) + ")");
    Changing();
    FItems.insert(FItems.begin() + i, Item{s, o});
    Changed();
}
void TStringList::Delete(int i) {
    Check(i);
    Changing();
    TObject* o = FItems[size_t(i)].o;
    FItems.erase(FItems.begin() + i);
    if (OwnsObjects) delete o;
    Changed();
}
void TStringList::Clear() {
    if (FItems.empty()) return;
    Changing();
    auto old = std::move(FItems);
    FItems.clear();
    if (OwnsObjects)
        for (auto& it : old) delete it.o;
    Changed();
}
int TStringList::AddObject(const String& s, TObject* o) {
    if (!FSorted) {
        Changing();
        FItems.push_back(Item{s, o});
        Changed();
        return Count() - 1;
    }
    int idx;
    if (Find(s, idx)) {
        if (Duplicates == dupIgnore) return idx;
        if (Duplicates == dupError) throw EStringListError("String list does not allow duplicates");
    }
    Changing();
    FItems.insert(FItems.begin() + idx, Item{s, o});
    Changed();
    return idx;
}
int TStringList::IndexOf(const String& s) const {
    if (!FSorted) return TStrings::IndexOf(s);
    int i;
    return Find(s, i) ? i : -1;
}
bool TStringList::Find(const String& s, int& index) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareStrings(FItems[size_t(mid)].s, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (Duplicates != dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}
void TStringList::Sort() {
    CustomSort(
        [](TStringList* l, int a, int b) { return l->CompareStrings(l->FItems[size_t(a)].s, l->FItems[size_t(b)].s); });
}
void TStringList::CustomSort(const std::function<int(TStringList*, int, int)>& cmp) {
    if (FItems.size() < 2) return;
    Changing();
    // Sort indexes, then permute, so the comparison sees the list as it is.
    std::vector<int> idx(FItems.size());
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = int(i);
    std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) { return cmp(this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(FItems.size());
    for (int i : idx) sorted.push_back(FItems[size_t(i)]);
    FItems = std::move(sorted);
    Changed();
}
void TStringList::SetSorted(bool v) {
    if (v == FSorted) return;
    if (v) Sort();
    FSorted = v;
}
void TStringList::SetCaseSensitive(bool v) {
    if (v == FCaseSensitive) return;
    FCaseSensitive = v;
    if (FSorted) Sort();
}
void TStringList::SetUpdateState(bool updating) {
    if (updating) Changing();
    else Changed();
}
void TStringList::Changing() {
    if (UpdateCount() == 0 || false) fire(OnChanging, this);
}
void TStringList::Changed() {
    if (UpdateCount() == 0) fire(OnChange, this);
}

// ---- Collections

IMPLEMENT_CLASS(TCollectionItem, TPersistent) {}

TCollectionItem::TCollectionItem(TCollection* c) : FCollection(c) {
    if (c) {
        FID = c->FNextID++;
        c->FItems.push_back(this);
    }
}
TCollectionItem::~TCollectionItem() {
    if (FCollection && !FCollection->FClearing) {
        auto& v = FCollection->FItems;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        FCollection->Changed(nullptr);
    }
}
int TCollectionItem::Index() const {
    if (!FCollection) return -1;
    auto& v = FCollection->FItems;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

IMPLEMENT_CLASS(TCollection, TPersistent) {}

TCollection::TCollection(Factory f, TPersistent* owner) : FFactory(std::move(f)), FOwner(owner) {}
TCollection::~TCollection() {
    OnUpdate = nullptr;
    FUpdate = 1;
    Clear();
}
TCollectionItem* TCollection::Add() {
    TCollectionItem* it = FFactory ? FFactory(this) : new TCollectionItem(this);
    Changed(nullptr);
    return it;
}
TCollectionItem* TCollection::Insert(int i) {
    TCollectionItem* it = Add();
    auto pos = std::find(FItems.begin(), FItems.end(), it);
    FItems.erase(pos);
    i = std::clamp(i, 0, int(FItems.size()));
    FItems.insert(FItems.begin() + i, it);
    Changed(nullptr);
    return it;
}
void TCollection::Delete(int i) {
    TCollectionItem* it = FItems.at(size_t(i));
    it->Free();
}
void TCollection::Clear() {
    if (FItems.empty()) return;
    FClearing = true;
    auto items = std::move(FItems);
    FItems.clear();
    for (auto* it : items) it->Free();
    FClearing = false;
    Changed(nullptr);
}
void TCollection::EndUpdate() {
    if (FUpdate > 0 && --FUpdate == 0) Changed(nullptr);
}
void TCollection::Assign(TPersistent* Source) {
    auto* c = dynamic_cast<TCollection*>(Source);
    if (!c) return TPersistent::Assign(Source);
    BeginUpdate();
    Clear();
    for (auto* it : c->FItems) Add()->Assign(it);
    EndUpdate();
}
void TCollection::Changed(TCollectionItem* item) {
    if (FUpdate == 0) Update(item);
}
void TCollection::Update(TCollectionItem* item) { fire(OnUpdate, this, item); }
