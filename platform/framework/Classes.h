// Base classes of the framework: objects, components with owners, string
// lists and collections.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/framework/TypInfo.h"

class TComponent;

class Exception : public std::runtime_error {
public:
    explicit Exception(const String& msg) : std::runtime_error(msg) {}
    String Message() const { return what(); }
};
class EConvertError : public Exception {
    using Exception::Exception;
};
class EStringListError : public Exception {
    using Exception::Exception;
};
class EComponentError : public Exception {
    using Exception::Exception;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Calls an event only when it is set.
template <class F, class... A> void fire(const F& ev, A&&... args) {
    if (ev) ev(std::forward<A>(args)...);
}

class TObject {
public:
    virtual ~TObject() = default;
    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassType() const { return StaticClass(); }
    String ClassName() const { return ClassType().ClassName(); }
    bool InheritsFrom(const TClassInfo& c) const { return ClassType().InheritsFrom(&c); }
    // Runs BeforeDestruction (OnDestroy of forms) while the whole object is
    // still alive, then deletes it.
    void Free();
    virtual void BeforeDestruction() {}
};

template <class T> void FreeAndNil(T*& p) {
    T* q = p;
    p = nullptr;
    if (q) q->Free();
}

class TPersistent : public TObject {
    DECLARE_CLASS(TPersistent)
    virtual void Assign(TPersistent* Source);
    virtual TPersistent* GetOwner() { return nullptr; }

protected:
    virtual void AssignTo(TPersistent* Dest);
};

enum TComponentStateBit {
    csLoading = 1,
    csReading = 2,
    csWriting = 4,
    csDestroying = 8,
    csDesigning = 16,
    csAncestor = 32,
    csUpdating = 64
};
using TComponentState = uint32_t;
enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    DECLARE_CLASS(TComponent)
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    const String& Name() const { return FName; }
    void SetName(const String& v);
    intptr_t Tag() const { return FTag; }
    void SetTag(intptr_t v) { FTag = v; }
    int ComponentCount() const { return int(FComponents.size()); }
    TComponent* Components(int i) const { return FComponents.at(size_t(i)); }
    int ComponentIndex() const;
    // Owned component by name, without regard to case (Latin and Cyrillic).
    TComponent* FindComponent(const String& AName) const;
    TComponentState ComponentState() const { return FState; }
    bool IsLoading() const { return FState & csLoading; }
    bool IsDestroying() const { return FState & csDestroying; }
    bool IsDesigning() const { return FState & csDesigning; }

    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);
    void DestroyComponents();
    // Free notification: Notification(this, opRemove) reaches `c` when this goes.
    void FreeNotification(TComponent* c);
    void RemoveFreeNotification(TComponent* c);

    // Second creation phase: Loaded for every owned component still loading
    // (recursively), then for this one. Forms also fire OnCreate here.
    virtual void AfterConstruction();
    TPersistent* GetOwner() override { return FOwner; }

protected:
    virtual void Loaded();
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Forms, frames and data modules: a name already taken in the owner gets
    // "_1", "_2" ... appended (a second instance of a window), where other
    // components raise EComponentError.
    virtual bool IsRootComponent() const { return false; }
    void Destroying();
    void SetLoading() { FState |= csLoading; }
    void LoadTree();

private:
    TComponent* FOwner = nullptr;
    String FName;
    intptr_t FTag = 0;
    TComponentState FState = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

// Creates a component or form and runs its second creation phase.
template <class T, class... A> T* CreateComponent(A&&... args) {
    T* c = new T(std::forward<A>(args)...);
    c->AfterConstruction();
    return c;
}

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Abstract list of text lines, each with an attached object.
class TStrings : public TPersistent {
    DECLARE_CLASS(TStrings)
    virtual int Count() const = 0;
    virtual String Get(int i) const = 0;
    virtual void Put(int i, const String& s);
    virtual TObject* GetObject(int i) const;
    virtual void PutObject(int i, TObject* o);
    virtual void Insert(int i, const String& s) = 0;
    virtual void InsertObject(int i, const String& s, TObject* o);
    virtual void Delete(int i) = 0;
    virtual void Clear() = 0;
    virtual int Add(const String& s);
    virtual int AddObject(const String& s, TObject* o);
    virtual int IndexOf(const String& s) const;
    int IndexOfName(const String& name) const;
    int IndexOfObject(TObject* o) const;
    void Append(const String& s) { Add(s); }
    void AddStrings(const TStrings* other);
    void Exchange(int a, int b);
    void Move(int from, int to);
    String operator[](int i) const { return Get(i); }
    String Strings(int i) const { return Get(i); }
    TObject* Objects(int i) const { return GetObject(i); }
    String Names(int i) const;
    String ValueFromIndex(int i) const;
    String Values(const String& name) const;
    void SetValue(const String& name, const String& value);
    // Lines each followed by CR LF; setting splits at CR LF, LF or CR.
    String Text() const;
    void SetText(const String& t);
    // Delphi's comma text: quoted when a line holds blanks, commas or quotes;
    // setting splits at commas and blanks outside quotes.
    String CommaText() const;
    void SetCommaText(const String& t);
    char Delimiter = ',';
    char QuoteChar = '"';
    bool StrictDelimiter = false;
    String DelimitedText() const;
    void SetDelimitedText(const String& t);
    bool CaseSensitive() const { return FCaseSensitive; }
    virtual void SetCaseSensitive(bool v) { FCaseSensitive = v; }
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    bool Equals(const TStrings* other) const;
    void Assign(TPersistent* Source) override;
    bool LoadFromFile(const String& path);  // UTF-8 text; false when unreadable
    bool SaveToFile(const String& path) const;
    std::vector<String> ToVector() const;
    int CompareStrings(const String& a, const String& b) const;

protected:
    virtual void SetUpdateState(bool /*updating*/) {}
    bool FCaseSensitive = false;

private:
    int FUpdateCount = 0;
};

class TStringList : public TStrings {
    DECLARE_CLASS(TStringList)
    TStringList() = default;
    TStringList(std::initializer_list<String> lines);
    ~TStringList() override;
    int Count() const override { return int(FItems.size()); }
    String Get(int i) const override;
    void Put(int i, const String& s) override;
    TObject* GetObject(int i) const override;
    void PutObject(int i, TObject* o) override;
    void Insert(int i, const String& s) override;
    void InsertObject(int i, const String& s, TObject* o) override;
    void Delete(int i) override;
    void Clear() override;
    int Add(const String& s) override { return AddObject(s, nullptr); }
    int AddObject(const String& s, TObject* o) override;
    int IndexOf(const String& s) const override;
    bool Find(const String& s, int& index) const;  // binary search of a sorted list
    void Sort();
    void CustomSort(const std::function<int(TStringList*, int, int)>& cmp);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool v);
    TDuplicates Duplicates = dupIgnore;
    bool OwnsObjects = false;
    void SetCaseSensitive(bool v) override;
    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool updating) override;
    void Changed();
    void Changing();

private:
    struct Item {
        String s;
        TObject* o = nullptr;
    };
    void Check(int i) const;
    std::vector<Item> FItems;
    bool FSorted = false;
};

class TCollection;

class TCollectionItem : public TPersistent {
    DECLARE_CLASS(TCollectionItem)
    explicit TCollectionItem(TCollection* c);
    ~TCollectionItem() override;
    TCollection* Collection() const { return FCollection; }
    int Index() const;
    int ID() const { return FID; }
    virtual String DisplayName() const { return ClassName(); }

private:
    friend class TCollection;
    TCollection* FCollection;
    int FID = 0;
};

// Owning list of items of one class, made by the given factory.
class TCollection : public TPersistent {
    DECLARE_CLASS(TCollection)
    using Factory = std::function<TCollectionItem*(TCollection*)>;
    explicit TCollection(Factory f, TPersistent* owner = nullptr);
    ~TCollection() override;
    int Count() const { return int(FItems.size()); }
    TCollectionItem* Items(int i) const { return FItems.at(size_t(i)); }
    TCollectionItem* Add();
    TCollectionItem* Insert(int i);
    void Delete(int i);
    void Clear();
    void BeginUpdate() { ++FUpdate; }
    void EndUpdate();
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override { return FOwner; }
    std::function<void(TCollection*, TCollectionItem*)> OnUpdate;  // item or null for all
    void Changed(TCollectionItem* item = nullptr);

protected:
    virtual void Update(TCollectionItem* item);

private:
    friend class TCollectionItem;
    Factory FFactory;
    TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdate = 0;
    bool FClearing = false;
};

// Helpers over UTF-8 text used throughout the framework.
int CompareText(const String& a, const String& b);  // case-insensitive, Cyrillic aware
// Case-insensitive, in the collation order of the user's locale (the
// Ukrainian and Russian alphabets when the process has none); equal texts
// (and only they, up to case) compare 0.
int AnsiCompareText(const String& a, const String& b);
bool SameText(const String& a, const String& b);
String UpperCase(const String& s);
String LowerCase(const String& s);
// Full Unicode case mapping of UTF-16 text (a result may differ in length).
std::u16string WideUpperCase(std::u16string_view s);
std::u16string WideLowerCase(std::u16string_view s);
// UTF-16 texts without regard to case, in the collation order of the current
// default locale: negative, 0 or positive; texts that differ only in case
// compare 0.
int WideCompareTextInLocale(std::u16string_view a, std::u16string_view b);
String Trim(const String& s);
String TrimRight(const String& s);
String IntToStr(int64_t v);
int64_t StrToInt64Def(const String& s, int64_t def);
int StrToIntDef(const String& s, int def);
