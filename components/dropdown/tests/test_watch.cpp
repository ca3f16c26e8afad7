// The analog clock: where a click lands on the face, how hour and minute changes walk, the keys,
// the clock timer's life, the named styles and the colour styles; pictures of every style.
#include "platform/testing/quelm_test_support.h"
#include "components/dropdown/PlusWatch.h"

#include "platform/framework/Forms.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <cmath>
#include <gtest/gtest.h>

namespace {

class TestWatch : public TPlusWatch {
public:
    using TPlusWatch::TPlusWatch;
    void Click(int x, int y) { MouseUp(mbLeft, {}, x, y); }
};

struct WatchFixture {
    TForm* form = New<TForm>(nullptr);
    TestWatch* w = new TestWatch(form);
    WatchFixture()
    {
        w->SetParent(form);
        form->SetBounds(0, 0, 220, 220);
    }
    ~WatchFixture() { delete form; }
    int Hour() const
    {
        int h, m, s, ms;
        DecodeTime(w->Time(), h, m, s, ms);
        return h;
    }
    int Minute() const
    {
        int h, m, s, ms;
        DecodeTime(w->Time(), h, m, s, ms);
        return m;
    }
};

// A 180 x 180 clock has the face (10, 10, 170, 170) and the centre (90, 90).
struct PointCase {
    int x, y, minute, hourAM, hourPM;
};
const PointCase kPoints[] = {
    {150, 90, 15, 3, 15},  // right of the centre on its line
    {90, 150, 30, 6, 18},  // straight below
    {30, 90, 45, 9, 21},   // left
    {90, 30, 0, 0, 12},    // straight above: the twelve o'clock mark
    {88, 30, 0, 0, 12},    // just left of the mark
    {92, 30, 0, 0, 12},    // just right of the mark
    {90, 90, 23, 5, 17},   // the centre itself: 45 degrees, 7.5 goes to 8
    {150, 150, 23, 5, 17}, // lower right diagonal
    {30, 150, 37, 7, 19},  // lower left
    {30, 30, 53, 11, 23},  // upper left
    {150, 30, 7, 1, 13},   // upper right
};

TEST(WatchPoints, MinuteAndHourOfAPoint)
{
    WatchFixture f;
    ASSERT_EQ(f.w->GetCenter(), TPoint(90, 90));
    for (const PointCase& c : kPoints) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(f.w->PointToMinute(c.x, c.y), c.minute);
        f.w->SetIsAM(true);
        EXPECT_EQ(f.w->PointToHour(c.x, c.y), c.hourAM);
        f.w->SetIsAM(false);
        EXPECT_EQ(f.w->PointToHour(c.x, c.y), c.hourPM);
    }
}

TEST(WatchPoints, PointInEllipse)
{
    EXPECT_TRUE(PointInEllipse(TPoint(50, 25), 0, 0, 100, 50));
    EXPECT_FALSE(PointInEllipse(TPoint(0, 0), 0, 0, 100, 50));
    EXPECT_FALSE(PointInEllipse(TPoint(99, 49), 0, 0, 100, 50));
    EXPECT_TRUE(PointInEllipse(TPoint(1, 25), 0, 0, 100, 50));
    EXPECT_FALSE(PointInEllipse(TPoint(5, 5), 0, 0, 0, 0));
}

TEST(WatchClicks, FaceSetsHourRingSetsMinuteBoxSwitchesHalf)
{
    WatchFixture f;
    f.w->SetAnimation(false);
    f.w->SetTime(EncodeTime(1, 10, 0, 0));
    f.w->Click(150, 90); // inside the face: hour 3
    EXPECT_EQ(f.Hour(), 3);
    EXPECT_EQ(f.Minute(), 10);
    f.w->Click(90, 176); // in the ring below the face: minute 30
    EXPECT_EQ(f.Hour(), 3);
    EXPECT_EQ(f.Minute(), 30);
    const TRect b = f.w->GetAMPMRect();
    ASSERT_GT(b.Width(), 0);
    f.w->Click(b.Left, b.Top); // left and top edges belong to the box
    EXPECT_EQ(f.Hour(), 15);
    EXPECT_FALSE(f.w->IsAM());
    f.w->Click(b.Left + 1, b.Top + 1);
    EXPECT_EQ(f.Hour(), 3);
    EXPECT_TRUE(f.w->IsAM());
    f.w->SetShowAMPM(false);
    EXPECT_EQ(f.w->GetAMPMRect(), TRect(-1, -1, -1, -1));
}

TEST(WatchClicks, AutomaticModeIgnoresInput)
{
    WatchFixture f;
    f.w->SetAnimation(false);
    f.w->SetTime(EncodeTime(1, 10, 0, 0));
    f.w->Settings()->SetAuto(true);
    const TDateTime held = f.w->Time();
    f.w->Settings()->SetAuto(false);
    f.w->SetTime(EncodeTime(1, 10, 0, 0));
    f.w->Settings()->SetAuto(true);
    f.w->Click(150, 90);
    f.w->HandleKey(VK_HOME);
    f.w->Settings()->SetAuto(false);
    EXPECT_NE(held, 0);
    int h, m, s, ms;
    DecodeTime(f.w->Time(), h, m, s, ms);
    // the time written when automatic mode began, not the click's or the key's
    EXPECT_NE(h * 60 + m, 3 * 60 + 10);
}

TEST(WatchTime, MinuteZeroAfterTheHalfAdvancesTheHour)
{
    struct Case {
        int h, m, hourAfter;
    } cases[] = {{23, 45, 0}, {10, 20, 10}, {10, 31, 11}, {10, 30, 10}};
    for (const Case& c : cases) {
        WatchFixture f;
        f.w->SetAnimation(false);
        f.w->SetTime(EncodeTime(c.h, c.m, 0, 0));
        f.w->SetMinute(0);
        EXPECT_EQ(f.Hour(), c.hourAfter) << c.h << ":" << c.m;
        EXPECT_EQ(f.Minute(), 0);
    }
}

TEST(WatchTime, InvalidMinuteLeavesTheTime)
{
    WatchFixture f;
    f.w->SetTime(EncodeTime(4, 5, 0, 0));
    EXPECT_THROW(f.w->SetMinute(60), Exception);
    EXPECT_EQ(f.Minute(), 5);
}

TEST(WatchAnimation, HourWalksOneStepPerTickAndNotifiesOnce)
{
    WatchFixture f;
    f.w->SetTime(EncodeTime(3, 0, 0, 0));
    int changes = 0;
    f.w->OnChange = [&](TObject*) { ++changes; };
    f.w->SetHour(9);
    EXPECT_EQ(f.Hour(), 3);
    EXPECT_TRUE(f.w->AnimationTimer()->Enabled());
    std::vector<int> seen;
    for (int i = 0; i < 20 && f.w->AnimationTimer()->Enabled(); ++i) {
        f.w->AnimationTimerTick();
        seen.push_back(f.Hour());
    }
    EXPECT_EQ(seen, (std::vector<int>{4, 5, 6, 7, 8, 9, 9}));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(f.w->AnimationTimer()->Enabled());
}

TEST(WatchAnimation, MinuteTowardZeroRunsForwardAndAdvancesTheHour)
{
    WatchFixture f;
    f.w->SetTime(EncodeTime(7, 50, 0, 0));
    f.w->SetMinute(0);
    std::vector<int> seen;
    for (int i = 0; i < 20 && f.w->AnimationTimer()->Enabled(); ++i) {
        f.w->AnimationTimerTick();
        seen.push_back(f.Minute());
    }
    EXPECT_EQ(seen, (std::vector<int>{51, 52, 53, 54, 55, 56, 57, 58, 59, 0, 0}));
    EXPECT_EQ(f.Hour(), 8);
}

TEST(WatchKeys, NavigationKeys)
{
    struct Case {
        const char* name;
        int h, m;
        WORD key;
        int hAfter, mAfter;
    } cases[] = {
        {"left at midnight", 0, 0, VK_LEFT, 23, 59}, {"left", 5, 10, VK_LEFT, 5, 9},
        {"right at 59", 5, 59, VK_RIGHT, 6, 0},      {"page up at 23", 23, 5, VK_PRIOR, 0, 5},
        {"page down at 0", 0, 5, VK_NEXT, 23, 5},    {"page up", 4, 5, VK_PRIOR, 5, 5},
        {"home", 4, 5, VK_HOME, 12, 5},              {"end", 4, 5, VK_END, 4, 0},
        {"A in the afternoon", 15, 5, 'A', 3, 5},    {"P in the morning", 3, 5, 'P', 15, 5},
        {"A in the morning", 3, 5, 'A', 3, 5},       {"up does nothing", 3, 5, VK_UP, 3, 5},
    };
    for (const Case& c : cases) {
        WatchFixture f;
        f.w->SetAnimation(false);
        f.w->SetTime(EncodeTime(c.h, c.m, 0, 0) + 1e-9);
        f.w->HandleKey(c.key);
        EXPECT_EQ(f.Hour(), c.hAfter) << c.name;
        EXPECT_EQ(f.Minute(), c.mAfter) << c.name;
    }
}

TEST(WatchKeys, HomeIsImmediateEvenWhenAnimated)
{
    WatchFixture f;
    f.w->SetTime(EncodeTime(4, 5, 0, 0));
    f.w->HandleKey(VK_HOME);
    EXPECT_EQ(f.Hour(), 12);
    f.w->HandleKey(VK_END); // animated: starts the walk only
    EXPECT_EQ(f.Minute(), 5);
    EXPECT_TRUE(f.w->AnimationTimer()->Enabled());
}

TEST(WatchTimer, RunsOnlyInAutomaticModeWhileOnScreen)
{
    WatchFixture f;
    EXPECT_FALSE(f.w->ClockTimer()->Enabled());
    f.form->Show();
    f.w->Settings()->SetAuto(true);
    EXPECT_TRUE(f.w->ClockTimer()->Enabled());
    f.w->SetVisible(false);
    EXPECT_FALSE(f.w->ClockTimer()->Enabled());
    f.w->SetVisible(true);
    EXPECT_TRUE(f.w->ClockTimer()->Enabled());
    f.form->Hide();
    EXPECT_FALSE(f.w->ClockTimer()->Enabled());
    f.form->Show();
    EXPECT_TRUE(f.w->ClockTimer()->Enabled());
    f.w->Settings()->SetAuto(false);
    EXPECT_FALSE(f.w->ClockTimer()->Enabled());
}

TEST(WatchTimer, AutomaticModeOnAHiddenClockLeavesTheTimerOff)
{
    WatchFixture f;
    f.w->Settings()->SetAuto(true);
    EXPECT_FALSE(f.w->ClockTimer()->Enabled());
    f.form->Show();
    EXPECT_TRUE(f.w->ClockTimer()->Enabled());
    delete f.w; // a running clock goes away cleanly
    f.w = nullptr;
}

TEST(WatchSettings, AssignNotifiesOnlyForAuto)
{
    TWatchSettings a, b;
    int heard = 0;
    a.OnChange = [&](TObject*) { ++heard; };
    b.SetSecond(false);
    b.SetTimeOffset(30);
    a.Assign(&b);
    EXPECT_EQ(heard, 0);
    EXPECT_FALSE(a.Second());
    EXPECT_EQ(a.TimeOffset(), 30);
    b.SetAuto(true);
    a.Assign(&b);
    EXPECT_EQ(heard, 1);
}

TEST(WatchStyles, ComputedSizesAndSwitches)
{
    WatchFixture f;
    f.w->SetStyle(wsSuperNova);
    EXPECT_EQ(f.w->Appearance()->HourMarkLength(), 40);
    EXPECT_EQ(f.w->Appearance()->MinuteMarkLength(), 60);
    f.w->SetStyle(wsSports);
    EXPECT_EQ(f.w->Appearance()->CenterPointSize(), 50);
    f.w->SetShowAMPM(false);
    f.w->SetStyle(wsTower);
    EXPECT_FALSE(f.w->ShowAMPM());
    f.w->SetStyle(wsBlueStar);
    EXPECT_TRUE(f.w->ShowAMPM());
}

TEST(WatchStyles, SwitchingBackReproducesTheAppearance)
{
    WatchFixture f;
    f.w->SetStyle(wsEmerald);
    TWatchAppearance first;
    first.Assign(f.w->Appearance());
    f.w->SetStyle(wsGray);
    f.w->SetStyle(wsEmerald);
    const TWatchAppearance* a = f.w->Appearance();
    EXPECT_EQ(a->BackgroundColor(), first.BackgroundColor());
    EXPECT_EQ(a->HourFont()->Name, first.HourFont()->Name);
    EXPECT_EQ(a->HourFont()->Size(), first.HourFont()->Size());
    EXPECT_EQ(a->AMPMFont()->Name, first.AMPMFont()->Name);
    EXPECT_EQ(a->AMPMColor, first.AMPMColor);
    EXPECT_EQ(a->HourPointerShadow(), first.HourPointerShadow());
    EXPECT_EQ(a->PointerStyle(), first.PointerStyle());
    EXPECT_EQ(a->Shape(), wsRect);
}

TEST(WatchStyles, ColourStyles)
{
    WatchFixture f;
    TWatchAppearance* a = f.w->Appearance();
    const TColor back = a->BackgroundColor();
    f.w->ApplyColorStyle(8); // no row: fonts and the outer ring only
    EXPECT_EQ(a->CenterPointOuterBorderColor(), TColor(0x000000));
    EXPECT_EQ(a->HourFont()->Color, TColor(0x000000));
    EXPECT_EQ(a->BackgroundColor(), back);
    f.w->ApplyColorStyle(5);
    EXPECT_EQ(a->BackgroundColor(), TColor(0x5C534C));
    EXPECT_EQ(a->AMPMFont()->Color, TColor(0xF2F1F0));
    EXPECT_EQ(a->MinutePointer(), TColor(0xF2F1F0));
    f.w->ApplyColorStyle(14);
    EXPECT_EQ(a->HourPointerShadow(), TColor(0xC0C0C0));
    EXPECT_EQ(a->AMPMFont()->Color, TColor(0x000000));
}

// Pictures of every style; each must show more than one colour around the centre.
TEST(WatchPictures, EveryStyleDrawsAFace)
{
    QImage sheet(6 * 180, 2 * 180, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter sheetPainter(&sheet);
    for (int st = wsClassic; st <= wsSmooth; ++st) {
        WatchFixture f;
        f.w->SetStyle(TWatchStyle(st));
        f.w->SetTime(EncodeTime(10, 8, 0, 0));
        f.form->Show();
        const QImage img = f.w->Host()->grab().toImage();
        sheetPainter.drawImage((st % 6) * 180, (st / 6) * 180, img);
        const QRgb centre = img.pixel(90, 90);
        int differing = 0;
        for (int y = 20; y < 160; y += 7)
            for (int x = 20; x < 160; x += 7)
                differing += img.pixel(x, y) != centre;
        EXPECT_GT(differing, 10) << st;
    }
    sheet.save(QString::fromStdString(quelmtest::PicturePath("watch_styles.png")));
}

} // namespace

namespace {
// The rounded rectangle is one closed figure: its inside is filled, the rounded corners are not.
TEST(WatchDrawing, RoundRectFillCoversTheInsideOnly)
{
    TBitmap bmp;
    bmp.SetSize(100, 50);
    bmp.Canvas()->Brush->Color = clWhite;
    bmp.Canvas()->FillRect(TRect(0, 0, 100, 50));
    {
        TGPGraphics g(bmp.Canvas()->Handle());
        TGPSolidBrush brush(ARGBFromRGB(0, 0, 0));
        FillGdipRoundRect(&g, &brush, 0, 0, 99, 49, 8);
    }
    struct Probe {
        int x, y;
        bool black;
    } probes[] = {{50, 25, true}, {10, 40, true}, {90, 10, true}, {50, 1, true},
                  {0, 0, false},  {98, 0, false}, {0, 48, false}, {98, 48, false}};
    for (const Probe& p : probes)
        EXPECT_EQ(bmp.Canvas()->Pixels(p.x, p.y) == TColor(0), p.black) << p.x << "," << p.y;
}
} // namespace

namespace {
TEST(WatchAnimation, DirectChangesNotifyToo)
{
    WatchFixture f;
    f.w->SetAnimation(false);
    f.w->SetTime(EncodeTime(3, 10, 0, 0));
    int changes = 0;
    f.w->OnChange = [&](TObject*) { ++changes; };
    f.w->SetHour(5);
    f.w->HandleKey(VK_RIGHT);
    f.w->HandleKey(VK_HOME);
    EXPECT_EQ(changes, 3);
}
} // namespace
