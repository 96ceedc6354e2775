#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "components/UXDateTime.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/TimeUtils.h"

#include "CompoundFixture.h"

// Qt last: the fields as the user types into them.
#include <QDateTimeEdit>

namespace {

// Runs the case under a time zone and puts the old one back.
struct ZoneGuard {
    std::string old;
    bool had;
    explicit ZoneGuard(const char* tz) {
        const char* o = std::getenv("TZ");
        had = o != nullptr;
        if (had) old = o;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ZoneGuard() {
        if (had) setenv("TZ", old.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
};

struct UXDateTimeTest : ::testing::Test {
    TForm* form = nullptr;
    void SetUp() override {
        EnsureApplication();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(100, 100, 400, 200);
    }
    void TearDown() override { form->Free(); }
    TUXDateTimePicker* picker(TDateTimeKind kind, bool autoGrayed) {
        auto* p = add<TUXDateTimePicker>(form, form, kind == dtkDate ? "date" : "time");
        p->SetKind(kind);
        p->DTPicker()->SetShowCheckbox(true);
        p->SetAutoGrayed(autoGrayed);
        return p;
    }
};

TEST_F(UXDateTimeTest, PickerTextRoundTrips) {
    struct {
        TDateTimeKind kind;
        const char* in;
        bool ok;
        const char* out;
    } cases[] = {
        {dtkTime, "003000", true, "003000"},  // a time of day is empty only when grayed
        {dtkTime, "000000", true, "000000"},
        {dtkTime, "093000", true, "093000"},
        {dtkTime, "235959", true, "235959"},
        {dtkTime, "246000", false, "235959"},  // no such time: refused, value kept
        {dtkTime, "12345", false, "235959"},   // not fully read
        {dtkTime, "12:30:00", false, "235959"},
        {dtkDate, "20240306153000", true, "20240306000000"},
        {dtkDate, "20240307", true, "20240307000000"},
        {dtkDate, "20241306", false, "20240307000000"},  // month 13
        {dtkDate, "2024030", false, "20240307000000"},   // seven digits
        {dtkDate, "20240230", false, "20240307000000"},
        {dtkDate, "20400229000000", true, "20400229000000"},  // after 2038
    };
    TUXDateTimePicker* p[2] = {picker(dtkDate, true), picker(dtkTime, true)};
    for (auto& c : cases) {
        TUXDateTimePicker* x = p[c.kind == dtkDate ? 0 : 1];
        EXPECT_EQ(x->setTextValue(c.in), c.ok) << c.in;
        EXPECT_FALSE(x->Grayed()) << c.in;
        EXPECT_EQ(x->getTextValue(), c.out) << c.in;
    }
}

TEST_F(UXDateTimeTest, TimeOfDayAsSeconds) {
    auto* t = picker(dtkTime, false);
    t->SetUXDateTime(3723);
    EXPECT_EQ(t->getTextValue(), "010203");
    EXPECT_EQ(t->GetUXDateTime(), 3723);
    t->SetUXDateTime(25 * 3600);  // no such time of day: nothing changes
    EXPECT_EQ(t->GetUXDateTime(), 3723);
    t->SetUXDateTime(0);  // without AutoGrayed 0 changes nothing
    EXPECT_EQ(t->GetUXDateTime(), 3723);
    EXPECT_FALSE(t->Grayed());
}

TEST_F(UXDateTimeTest, GrayedStateMachine) {
    auto* d = picker(dtkDate, true);
    std::vector<bool> events;
    d->OnGrayed = [&](TObject*, bool g) { events.push_back(g); };
    d->setTextValue("20240306000000");
    d->SetUXDateTime(0);
    EXPECT_TRUE(d->Grayed());
    EXPECT_EQ(d->getTextValue(), "");
    EXPECT_FALSE(d->DTPicker()->Checked());
    d->SetGrayed(true);  // unchanged: no event
    d->dblClick();
    EXPECT_FALSE(d->Grayed());
    EXPECT_EQ(d->getTextValue(), "20240306000000");
    // Unticking the inner check box grays; ticking it again gives the value back.
    d->DTPicker()->SetChecked(false);
    d->click();
    EXPECT_TRUE(d->Grayed());
    d->DTPicker()->SetChecked(true);
    d->click();
    EXPECT_FALSE(d->Grayed());
    d->setTextValue("");
    EXPECT_TRUE(d->Grayed());
    int64_t t = systemtime2time_t([] {
        SYSTEMTIME st;
        st.wYear = 2050;
        st.wMonth = 7;
        st.wDay = 14;
        st.wHour = 18;
        return st;
    }());
    d->SetUXDateTime(t);
    EXPECT_FALSE(d->Grayed());
    EXPECT_EQ(d->getTextValue(), "20500714000000");
    EXPECT_EQ(events, (std::vector<bool>{true, false, true, false, true, false}));

    // Without AutoGrayed the empty text and 0 leave the state alone, and a
    // grayed picker still answers its value.
    auto* plain = picker(dtkTime, false);
    plain->setTextValue("101010");
    EXPECT_TRUE(plain->setTextValue(""));
    plain->SetGrayed(true);
    EXPECT_EQ(plain->getTextValue(), "101010");
}

TEST_F(UXDateTimeTest, LocalDaysUnderTimeZones) {
    for (const char* tz : {"America/New_York", "Asia/Tokyo", "UTC"}) {
        ZoneGuard zone(tz);
        auto* d = picker(dtkDate, true);
        auto* ed = add<TUXDatetimeEditor>(form, form, "both");
        ed->SetBounds(0, 40, 300, 21);
        // 2024-03-06 03:30 UTC is still March 5 in New York; and 2045 is past 2038.
        for (int64_t t : {int64_t(1709695800), int64_t(2366841600 + 3600 * 7)}) {
            SYSTEMTIME st = time_t2systemtime(t);
            EXPECT_EQ(systemtime2time_t(st), t) << tz;
            d->SetUXDateTime(t);
            SYSTEMTIME shown = time_t2localtime(t);
            SYSTEMTIME midnight;
            midnight.wYear = shown.wYear;
            midnight.wMonth = shown.wMonth;
            midnight.wDay = shown.wDay;
            EXPECT_EQ(d->GetUXDateTime(), systemtime2time_t(midnight)) << tz << " " << t;
            char want[48];
            std::snprintf(want, sizeof want, "%04d%02d%02d000000", shown.wYear, shown.wMonth, shown.wDay);
            EXPECT_EQ(d->getTextValue(), want) << tz;
            ed->SetDateAndTime(t);
            EXPECT_EQ(ed->GetDateAndTime(), t) << tz;
        }
        ed->Free();
        d->Free();
    }
}

// An empty (grayed) field shows no date or time, whatever value it keeps.
TEST_F(UXDateTimeTest, GrayedFieldShowsNothing) {
    for (TDateTimeKind kind : {dtkDate, dtkTime}) {
        for (bool checkbox : {true, false}) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << ", check box " << checkbox);
            auto* p = picker(kind, true);
            p->DTPicker()->SetShowCheckbox(checkbox);
            auto* field = qobject_cast<QDateTimeEdit*>(p->DTPicker()->FieldWidget());
            ASSERT_NE(nullptr, field);
            p->setTextValue("");  // as the editors box starts its fields
            EXPECT_TRUE(p->Grayed());
            EXPECT_EQ("", field->text().trimmed().toStdString());
            p->setTextValue(kind == dtkDate ? "20240306" : "093000");
            EXPECT_EQ(kind == dtkDate ? "06.03.2024" : "09:30:00", field->text().toStdString());
            p->SetUXDateTime(0);
            EXPECT_EQ("", field->text().trimmed().toStdString());
            p->dblClick();  // un-grayed: the value kept meanwhile comes back
            EXPECT_EQ(kind == dtkDate ? "06.03.2024" : "09:30:00", field->text().toStdString());
            p->Free();
        }
    }
}

// When summer time ends an hour repeats: each of its instants reads back as
// itself. A time typed into the hour skipped when summer time starts is
// shown as the instant it is read back as.
TEST_F(UXDateTimeTest, DateAndTimeAcrossSummerTimeChanges) {
    struct Case {
        const char* zone;
        int64_t firstRepeated, secondRepeated;  // one wall-clock time, twice
        int y, mo, d, h, mi;                    // a time that does not exist
    } cases[] = {
        {"America/New_York", 1730611800, 1730615400, 2024, 3, 10, 2, 30},  // 01:30 EDT, 01:30 EST
        {"Europe/Kyiv", 1729989000, 1729992600, 2024, 3, 31, 3, 30},       // 03:30 EEST, 03:30 EET
    };
    for (const Case& c : cases) {
        ZoneGuard zone(c.zone);
        SCOPED_TRACE(c.zone);
        auto* ed = add<TUXDatetimeEditor>(form, form, "both");
        ed->SetBounds(0, 0, 300, 21);
        for (int64_t t : {c.firstRepeated, c.secondRepeated}) {
            ed->SetDateAndTime(t);
            EXPECT_EQ(t, ed->GetDateAndTime());
        }
        EXPECT_EQ(ed->getTextValue().substr(8), time_t2systemtime(c.firstRepeated).wHour == 1 ? "013000" : "033000");

        // Typed into the pickers, as the user does.
        auto* date = qobject_cast<QDateTimeEdit*>(ed->DatePicker()->FieldWidget());
        auto* time = qobject_cast<QDateTimeEdit*>(ed->TimePicker()->FieldWidget());
        ASSERT_NE(nullptr, date);
        ASSERT_NE(nullptr, time);
        date->setDate(QDate(c.y, c.mo, c.d));
        time->setTime(QTime(c.h, c.mi));
        auto shownMatchesRead = [&](const char* how) {
            const SYSTEMTIME back = time_t2systemtime(ed->GetDateAndTime());
            char read[40];
            std::snprintf(read, sizeof read, "%04d%02d%02d%02d%02d%02d", back.wYear, back.wMonth, back.wDay, back.wHour,
                          back.wMinute, back.wSecond);
            EXPECT_EQ(ed->getTextValue(), read) << how;
            // The skipped time itself is not what is shown.
            char skipped[16];
            std::snprintf(skipped, sizeof skipped, "%02d%02d", c.h, c.mi);
            EXPECT_NE(ed->getTextValue().substr(8, 4), skipped) << how;
        };
        shownMatchesRead("typed");
        char text[40];
        std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d00", c.y, c.mo, c.d, c.h, c.mi);
        EXPECT_TRUE(ed->setTextValue(text));
        shownMatchesRead("as text");
        ed->Free();
    }
}

TEST_F(UXDateTimeTest, DateAndTimeEditorText) {
    auto* ed = add<TUXDatetimeEditor>(form, form, "both");
    ed->SetBounds(0, 0, 300, 21);
    // The date takes half the editor's width and 5 until a width is chosen.
    EXPECT_EQ(ed->GetDateEditWidth(), 155);
    ed->SetDateEditWidth(100);
    ed->SetWidth(400);
    EXPECT_EQ(ed->GetDateEditWidth(), 100);
    EXPECT_TRUE(ed->setTextValue("20240306153000"));
    EXPECT_EQ(ed->getTextValue(), "20240306153000");
    EXPECT_EQ(ed->GetText(), "06.03.2024 15:30:00");
    struct {
        const char* in;
        bool ok;
    } cases[] = {
        {"20241306153000", false}, {"20240306246000", false}, {"2024030", false}, {"2024030615300", false}, {"", true}};
    for (auto& c : cases) {
        EXPECT_EQ(ed->setTextValue(c.in), c.ok) << c.in;
        EXPECT_EQ(ed->getTextValue(), "20240306153000") << c.in;
    }
    // The hidden text steers the pickers as well.
    ed->SetText("07.04.2041 08:09:10");
    EXPECT_EQ(ed->getTextValue(), "20410407080910");
}

}  // namespace
