// Published properties: every framework class registers its published
// properties (Delphi names, kinds, accessors) in a per-class registry, so that
// translation and state storage can walk and set them by name.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

using String = std::string;

class TObject;
class TClassInfo;

// clang-format off
enum TTypeKind {
    tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet,
    tkClass, tkMethod, tkWChar, tkLString, tkWString, tkVariant, tkInt64, tkUString
};
// clang-format on
using TTypeKinds = uint32_t;
constexpr TTypeKinds kindBit(TTypeKind k) { return 1u << k; }
constexpr TTypeKinds tkAny = 0xFFFFFFFFu;
constexpr TTypeKinds tkStrings = kindBit(tkString) | kindBit(tkLString) | kindBit(tkWString) | kindBit(tkUString);
constexpr TTypeKinds tkOrdinal = kindBit(tkInteger) | kindBit(tkChar) | kindBit(tkEnumeration) | kindBit(tkSet) |
                                 kindBit(tkWChar) | kindBit(tkInt64);

// Raised for unknown properties, unknown enumeration names and bad values.
class EPropertyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Names of an enumeration (value i has name i) or of a set's members (bit i).
struct TEnumInfo {
    const char* TypeName;
    std::vector<String> Names;
    String NameOf(int64_t value) const;
    int ValueOf(const String& name) const;  // -1 when unknown (case-insensitive)
};
extern const TEnumInfo BooleanInfo;  // "False", "True"

struct TPropInfo {
    String Name;
    TTypeKind Kind = tkUnknown;
    const TEnumInfo* Enum = nullptr;        // enumerations and sets
    const TClassInfo* PropClass = nullptr;  // class kind: declared class
    std::function<int64_t(TObject*)> GetOrd;
    std::function<void(TObject*, int64_t)> SetOrd;
    std::function<double(TObject*)> GetFloat;
    std::function<void(TObject*, double)> SetFloat;
    std::function<String(TObject*)> GetStr;
    std::function<void(TObject*, const String&)> SetStr;
    std::function<TObject*(TObject*)> GetObj;
    std::function<void(TObject*, TObject*)> SetObj;
    bool IsWritable() const { return SetOrd || SetFloat || SetStr || SetObj; }
    bool IsBoolean() const { return Kind == tkEnumeration && Enum == &BooleanInfo; }
};

template <class T> class TPropRegistrar;

class TClassInfo {
public:
    TClassInfo(const char* name, const TClassInfo* parent)
        : FName(name), FParent(parent), FIndex(std::make_unique<Index>()) {}
    const char* ClassName() const { return FName; }
    const TClassInfo* ClassParent() const { return FParent; }
    bool InheritsFrom(const TClassInfo* other) const;
    // Own and inherited published properties, base class first, each in
    // declaration order. A derived class's property of the same name hides the base one.
    // Worked out at the first call: forms walk them for every component.
    const std::vector<const TPropInfo*>& Properties() const;
    const TPropInfo* FindProperty(const String& name) const;  // case-insensitive
    void Add(TPropInfo info) {
        FOwn.push_back(std::move(info));
        FIndex = std::make_unique<Index>();
    }

    template <class T, class Fn> static TClassInfo Build(const char* name, const TClassInfo* parent, Fn reg) {
        TClassInfo ci(name, parent);
        TPropRegistrar<T> r(ci);
        reg(r);
        return ci;
    }

private:
    struct Index {
        std::once_flag Once;
        std::vector<const TPropInfo*> All;
        std::unordered_map<String, const TPropInfo*> ByName;  // ASCII names in lower case
        bool AllAscii = true;
    };
    const Index& index() const;

    const char* FName;
    const TClassInfo* FParent;
    std::vector<TPropInfo> FOwn;
    std::unique_ptr<Index> FIndex;
};

// Builds a class's property table from its accessor member functions (or any
// callable taking T*). Pass nullptr as the setter of a read-only property.
template <class T> class TPropRegistrar {
public:
    explicit TPropRegistrar(TClassInfo& ci) : FInfo(ci) {}

    template <class G, class S> void Integer(const String& name, G get, S set) {
        Ord(name, tkInteger, nullptr, get, set);
    }
    template <class G, class S> void Int64(const String& name, G get, S set) { Ord(name, tkInt64, nullptr, get, set); }
    template <class G, class S> void Boolean(const String& name, G get, S set) {
        Ord(name, tkEnumeration, &BooleanInfo, get, set);
    }
    template <class G, class S> void Enum(const String& name, const TEnumInfo& e, G get, S set) {
        Ord(name, tkEnumeration, &e, get, set);
    }
    template <class G, class S> void Set(const String& name, const TEnumInfo& e, G get, S set) {
        Ord(name, tkSet, &e, get, set);
    }
    template <class G, class S> void Char(const String& name, G get, S set) { Ord(name, tkChar, nullptr, get, set); }

    template <class G, class S> void Str(const String& name, G get, S set) {
        TPropInfo p;
        p.Name = name;
        p.Kind = tkUString;
        p.GetStr = [get](TObject* o) { return String(std::invoke(get, static_cast<T*>(o))); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.SetStr = [set](TObject* o, const String& v) { std::invoke(set, static_cast<T*>(o), v); };
        FInfo.Add(std::move(p));
    }
    template <class G, class S> void Float(const String& name, G get, S set) {
        TPropInfo p;
        p.Name = name;
        p.Kind = tkFloat;
        p.GetFloat = [get](TObject* o) { return double(std::invoke(get, static_cast<T*>(o))); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.SetFloat = [set](TObject* o, double v) { std::invoke(set, static_cast<T*>(o), v); };
        FInfo.Add(std::move(p));
    }
    // A class-typed property (string list, collection, font, component reference...).
    // C is the declared class; the setter receives a C* (already checked).
    template <class C, class G, class S> void Object(const String& name, G get, S set) {
        TPropInfo p;
        p.Name = name;
        p.Kind = tkClass;
        p.PropClass = &C::StaticClass();
        p.GetObj = [get](TObject* o) -> TObject* { return std::invoke(get, static_cast<T*>(o)); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.SetObj = [set](TObject* o, TObject* v) { std::invoke(set, static_cast<T*>(o), static_cast<C*>(v)); };
        FInfo.Add(std::move(p));
    }

private:
    template <class G, class S> void Ord(const String& name, TTypeKind kind, const TEnumInfo* e, G get, S set) {
        TPropInfo p;
        p.Name = name;
        p.Kind = kind;
        p.Enum = e;
        p.GetOrd = [get](TObject* o) { return int64_t(std::invoke(get, static_cast<T*>(o))); };
        if constexpr (!std::is_null_pointer_v<S>) {
            p.SetOrd = [set](TObject* o, int64_t v) {
                if constexpr (std::is_member_function_pointer_v<S>) {
                    using A = std::remove_cvref_t<typename ArgOf<S>::type>;
                    std::invoke(set, static_cast<T*>(o), static_cast<A>(v));
                } else {
                    std::invoke(set, static_cast<T*>(o), v);
                }
            };
        }
        FInfo.Add(std::move(p));
    }
    template <class F> struct ArgOf;
    template <class R, class C, class A> struct ArgOf<R (C::*)(A)> { using type = A; };

    TClassInfo& FInfo;
};

// In a class body: gives the class its registry entry. Leaves access public.
#define DECLARE_CLASS(Cls)                  \
public:                                     \
    static const TClassInfo& StaticClass(); \
    const TClassInfo& ClassType() const override { return Cls::StaticClass(); }

// In the class's .cpp, followed by the registration body using `r`:
//   IMPLEMENT_CLASS(TLabel, TControl) { r.Str("Caption", &TLabel::GetText, &TLabel::SetText); }
#define IMPLEMENT_CLASS(Cls, Base)                                                                              \
    static void Cls##_RegisterProps(TPropRegistrar<Cls>& r);                                                    \
    const TClassInfo& Cls::StaticClass() {                                                                      \
        static const TClassInfo info = TClassInfo::Build<Cls>(#Cls, &Base::StaticClass(), Cls##_RegisterProps); \
        return info;                                                                                            \
    }                                                                                                           \
    static void Cls##_RegisterProps([[maybe_unused]] TPropRegistrar<Cls>& r)

// Access by name. All throw EPropertyError for an unknown property or value.
std::vector<const TPropInfo*> GetPropList(const TObject* obj, TTypeKinds kinds = tkAny);
const TPropInfo* GetPropInfo(const TObject* obj, const String& name);  // null when absent
TTypeKind PropType(const TObject* obj, const String& name);
int64_t GetOrdProp(TObject* obj, const String& name);
void SetOrdProp(TObject* obj, const String& name, int64_t value);
String GetStrProp(TObject* obj, const String& name);
void SetStrProp(TObject* obj, const String& name, const String& value);
String GetEnumProp(TObject* obj, const String& name);
void SetEnumProp(TObject* obj, const String& name, const String& value);
String GetSetProp(TObject* obj, const String& name);  // "akLeft,akTop"
void SetSetProp(TObject* obj, const String& name, const String& value);
int64_t GetInt64Prop(TObject* obj, const String& name);
void SetInt64Prop(TObject* obj, const String& name, int64_t value);
double GetFloatProp(TObject* obj, const String& name);
void SetFloatProp(TObject* obj, const String& name, double value);
TObject* GetObjectProp(TObject* obj, const String& name);
void SetObjectProp(TObject* obj, const String& name, TObject* value);
// Any simple property as text: booleans "True"/"False", enumerations by
// name, sets as comma-separated names, numbers in decimal. Class-typed
// properties: string lists as their Text, component references by Name.
String GetPropValue(TObject* obj, const String& name);
void SetPropValue(TObject* obj, const String& name, const String& value);
String GetPropValue(TObject* obj, const TPropInfo& p);
void SetPropValue(TObject* obj, const TPropInfo& p, const String& value);
